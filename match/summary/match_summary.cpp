#include "summary/match_summary.h"

#include <algorithm>
#include <map>

#include "schedule/game_schedule.h"
#include "statistics/end_statistics.h"
#include "statistics/pentanomial.h"
#include "statistics/rating_table.h"
#include "statistics/sprt.h"

namespace match::summary {

using game::EndRecord;
using game::GameRecord;
using game::Index;
using game::Other;
using game::ShotRecord;
using game::Side;
using schedule::MatchSchedule;
using schedule::ScheduledGame;
using setup::EngineEntry;
using setup::MatchSetup;
using statistics::EndTally;
using statistics::EvaluateSprt;
using statistics::FitRatings;
using statistics::FormatElo;
using statistics::FormatEndStatistics;
using statistics::FormatRatingTable;
using statistics::FormatSprt;
using statistics::Pentanomial;
using statistics::PentanomialElo;
using statistics::PentanomialIndex;
using statistics::RatedGame;
using statistics::SprtDecision;
using statistics::TallyEnds;

namespace {

// Engine A's score in a game: 1, 0.5 or 0.
double ScoreOfA(const GameRecord &game)
{
    if (!game.winner)
        return 0.5;
    return *game.winner == Side::A ? 1.0 : 0.0;
}

std::vector<GameRecord> InOrder(std::vector<GameRecord> games)
{
    std::sort(games.begin(), games.end(), [](const GameRecord &a, const GameRecord &b) { return a.number < b.number; });
    return games;
}

// The games of each pair, in game order.
std::map<int, std::vector<const GameRecord *>> ByPair(const std::vector<GameRecord> &games)
{
    std::map<int, std::vector<const GameRecord *>> pairs;
    for (const GameRecord &game : games)
        pairs[game.pair].push_back(&game);
    return pairs;
}

Pentanomial PairCounts(const std::vector<GameRecord> &games)
{
    Pentanomial counts{};
    for (const auto &[pair, members] : ByPair(games))
        if (members.size() == 2)
            ++counts[static_cast<std::size_t>(PentanomialIndex(ScoreOfA(*members[0]), ScoreOfA(*members[1])))];
    return counts;
}

std::vector<std::string> Names(const MatchSetup &setup)
{
    std::vector<std::string> names;
    for (const EngineEntry &engine : setup.engines)
        names.push_back(engine.name);
    return names;
}

std::string Plural(long count, const char *word, const char *plural)
{
    return std::to_string(count) + " " + (count == 1 ? word : plural);
}

std::string TwoEngines(const MatchSetup &setup, const std::vector<GameRecord> &games)
{
    MatchTally tally;
    for (const GameRecord &game : games)
        tally.Add(game);
    Pentanomial pairs = PairCounts(games);
    long pairCount = 0;
    for (long count : pairs)
        pairCount += count;
    std::string text = "A " + setup.engines[0].name + " vs B " + setup.engines[1].name + " after " +
                       Plural(tally.Games(), "game", "games") + ": " + Plural(tally.wins, "win", "wins") + ", " +
                       Plural(tally.losses, "loss", "losses") + ", " + Plural(tally.draws, "draw", "draws") +
                       "; points for " + std::to_string(tally.pointsFor) + ", against " +
                       std::to_string(tally.pointsAgainst) + "\n";
    text += FormatElo(PentanomialElo(pairs)) + " for A over B, from the results of " +
            Plural(pairCount, "pair", "pairs") + " (pairs scoring 0, 1/2, 1, 3/2, 2: " + std::to_string(pairs[0]) +
            " " + std::to_string(pairs[1]) + " " + std::to_string(pairs[2]) + " " + std::to_string(pairs[3]) + " " +
            std::to_string(pairs[4]) + ")\n";
    if (setup.sprtTest)
        text += FormatSprt(*setup.sprtTest, EvaluateSprt(*setup.sprtTest, pairs)) + "\n";
    return text;
}

std::string RatingTable(const MatchSetup &setup, const std::vector<GameRecord> &games)
{
    std::vector<std::string> names = Names(setup);
    std::vector<RatedGame> rated;
    for (const GameRecord &game : games)
        rated.push_back({game.players[0], game.players[1], ScoreOfA(game)});
    std::optional<int> anchor;
    auto named = setup.anchor ? std::find(names.begin(), names.end(), *setup.anchor) : names.end();
    if (named != names.end())
        anchor = static_cast<int>(named - names.begin());
    return FormatRatingTable(FitRatings(names, rated, anchor));
}

std::string EndSummary(const MatchSetup &setup, const std::vector<GameRecord> &games)
{
    std::vector<EndTally> ends;
    for (const GameRecord &game : games)
        for (const EndRecord &end : game.ends) {
            if (!end.complete)
                continue;
            auto hammer = static_cast<std::size_t>(Index(end.hammer));
            auto other = static_cast<std::size_t>(Index(Other(end.hammer)));
            ends.push_back({game.players[hammer], game.players[other], end.points[hammer], end.points[other]});
        }
    return FormatEndStatistics(TallyEnds(Names(setup), ends));
}

}  // namespace

void MatchTally::Add(const GameRecord &game)
{
    if (!game.winner)
        ++draws;
    else if (*game.winner == Side::A)
        ++wins;
    else
        ++losses;
    pointsFor += game.totals[0];
    pointsAgainst += game.totals[1];
}

std::optional<int> SprtDecisionPair(const MatchSetup &setup, const std::vector<GameRecord> &games)
{
    if (!setup.sprtTest)
        return std::nullopt;
    std::map<int, int> pairSizes;
    for (const ScheduledGame &game : MatchSchedule(setup))
        ++pairSizes[game.pair];
    std::map<int, std::vector<const GameRecord *>> played = ByPair(games);
    Pentanomial counts{};
    for (const auto &[pair, size] : pairSizes) {
        auto found = played.find(pair);
        if (found == played.end() || static_cast<int>(found->second.size()) < size)
            return std::nullopt;
        if (size < 2)
            continue;
        std::vector<const GameRecord *> members = found->second;
        std::sort(members.begin(), members.end(),
                  [](const GameRecord *a, const GameRecord *b) { return a->number < b->number; });
        ++counts[static_cast<std::size_t>(PentanomialIndex(ScoreOfA(*members[0]), ScoreOfA(*members[1])))];
        if (EvaluateSprt(*setup.sprtTest, counts).decision != SprtDecision::Continue)
            return pair;
    }
    return std::nullopt;
}

void DropShots(GameRecord &game)
{
    for (EndRecord &end : game.ends)
        std::vector<ShotRecord>().swap(end.shots);
}

std::vector<GameRecord> SummarisedGames(const MatchSetup &setup, std::vector<GameRecord> games)
{
    std::optional<int> decided = SprtDecisionPair(setup, games);
    if (decided)
        std::erase_if(games, [&](const GameRecord &game) { return game.pair > *decided; });
    return InOrder(std::move(games));
}

std::string SummaryText(const MatchSetup &setup, const std::vector<GameRecord> &games)
{
    std::string text = setup.engines.size() == 2 ? TwoEngines(setup, games) : RatingTable(setup, games);
    return text + "\n" + EndSummary(setup, games);
}

std::string ProgressLine(const MatchSetup &setup, const std::vector<GameRecord> &games, int totalGames)
{
    std::string line = "game " + std::to_string(games.size()) + " of " + std::to_string(totalGames);
    if (setup.engines.size() != 2)
        return line;
    MatchTally tally;
    for (const GameRecord &game : games)
        tally.Add(game);
    line += ": " + std::to_string(tally.wins) + "-" + std::to_string(tally.losses) + "-" + std::to_string(tally.draws) +
            " (W-L-D for A " + setup.engines[0].name + ")";
    if (setup.sprtTest)
        line += ", " + FormatSprt(*setup.sprtTest, EvaluateSprt(*setup.sprtTest, PairCounts(games)));
    return line;
}

}  // namespace match::summary
