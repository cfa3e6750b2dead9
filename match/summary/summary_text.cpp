#include "summary/summary_text.h"

#include <cstdio>

#include "record/torn_line.h"

namespace match::summary {

using record::TornLineNote;
using statistics::FormatCrosstable;
using statistics::FormatElo;
using statistics::FormatEndStatistics;
using statistics::FormatLlr;
using statistics::FormatRatingTable;
using statistics::FormatSprt;
using statistics::Rating;

namespace {

std::string Plural(long count, const char *word, const char *plural)
{
    return std::to_string(count) + " " + (count == 1 ? word : plural);
}

std::string UndecidedAtCap(const SprtSummary &sprt, int games)
{
    return "The SPRT ended undecided at the cap of " + Plural(games, "game", "games") + ": LLR " +
           FormatLlr(sprt.state.llr) + " lies between the bounds " + FormatLlr(sprt.state.lowerBound) +
           " (accept H0) and " + FormatLlr(sprt.state.upperBound) + " (accept H1)\n";
}

std::string TwoEnginesText(const MatchSummary &summary)
{
    const TwoEngineSummary &two = *summary.two;
    const MatchTally &tally = two.tally;
    const statistics::Pentanomial &pairs = two.pairs;
    std::string text = "A " + summary.engines[0] + " vs B " + summary.engines[1] + " after " +
                       Plural(tally.Games(), "game", "games") + ": " + Plural(tally.wins, "win", "wins") + ", " +
                       Plural(tally.losses, "loss", "losses") + ", " + Plural(tally.draws, "draw", "draws") +
                       "; points for " + std::to_string(tally.pointsFor) + ", against " +
                       std::to_string(tally.pointsAgainst) + "\n";
    text += FormatElo(two.elo) + " for A over B, from the results of " + Plural(two.pairCount, "pair", "pairs") +
            " (pairs scoring 0, 1/2, 1, 3/2, 2: " + std::to_string(pairs[0]) + " " + std::to_string(pairs[1]) + " " +
            std::to_string(pairs[2]) + " " + std::to_string(pairs[3]) + " " + std::to_string(pairs[4]) + ")\n";
    if (!two.sprt)
        return text;
    text += FormatSprt(two.sprt->test, two.sprt->state) + "\n";
    if (two.sprt->undecidedAtCap)
        text += UndecidedAtCap(*two.sprt, summary.games);
    return text;
}

std::string ShardText(const ShardCoverage &shard)
{
    std::string name = "shard " + std::to_string(shard.index) + "/" + std::to_string(shard.count);
    if (!shard.given)
        return name + ": not given (" + Plural(shard.scheduled, "game", "games") + ")";
    return name + ": " + std::to_string(shard.missing) + " of " + Plural(shard.scheduled, "game", "games") + " missing";
}

// Empty when nothing is missing.
std::string MissingText(const Coverage &coverage)
{
    if (coverage.Complete() && coverage.tornRecords.empty())
        return "";
    std::string text = "Incomplete: " + std::to_string(coverage.missing) + " of " +
                       Plural(coverage.scheduled, "game", "games") + (coverage.missing == 1 ? " is" : " are") +
                       " missing\n";
    for (const ShardCoverage &shard : coverage.shards)
        if (shard.missing > 0)
            text += "  " + ShardText(shard) + "\n";
    for (const std::string &path : coverage.tornRecords)
        text += "  " + TornLineNote(path, "is missing") + "\n";
    return text + "\n";
}

std::string Crosstable(const MatchSummary &summary)
{
    std::vector<int> ranking;
    for (const Rating &rating : summary.ratings.ratings)
        ranking.push_back(rating.engine);
    return FormatCrosstable(summary.engines, ranking, summary.crosstable);
}

// A row per start position: its line, the whole pairs played from it, A's
// wins, losses and draws and score, and its name.
std::string PositionsText(const std::vector<PositionSummary> &positions)
{
    std::string text = "Start positions (A, the first engine of each pairing: W-L-D and score):\n";
    text += "  line  pairs      W-L-D   score  name\n";
    for (const PositionSummary &position : positions) {
        const MatchTally &tally = position.tally;
        std::string record =
            std::to_string(tally.wins) + "-" + std::to_string(tally.losses) + "-" + std::to_string(tally.draws);
        char row[96];
        std::snprintf(row, sizeof row, "  %4d  %5ld  %9s  %5.1f%%  ", position.line, position.pairs, record.c_str(),
                      position.ScorePercent());
        text += row + position.name + "\n";
    }
    return text;
}

}  // namespace

std::string StandingsText(const MatchSummary &summary)
{
    return summary.two ? TwoEnginesText(summary) : FormatRatingTable(summary.ratings);
}

std::string SummaryText(const MatchSummary &summary)
{
    std::string text = MissingText(summary.coverage) + StandingsText(summary);
    if (!summary.two)
        text += "\n" + Crosstable(summary);
    if (summary.positions)
        text += "\n" + PositionsText(*summary.positions);
    text += "\n" + FormatEndStatistics(summary.ends);
    std::string times = FormatTimeFigures(summary.times);
    return times.empty() ? text : text + "\n" + times;
}

}  // namespace match::summary
