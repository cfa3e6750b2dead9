#include "summary/match_summary.h"

#include <algorithm>
#include <map>

#include "schedule/game_schedule.h"

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
using statistics::EndStatistics;
using statistics::EndTally;
using statistics::EvaluateSprt;
using statistics::FitRatings;
using statistics::FormatSprt;
using statistics::Pentanomial;
using statistics::PentanomialElo;
using statistics::PentanomialIndex;
using statistics::RatedGame;
using statistics::SprtDecision;
using statistics::TallyEnds;
using statistics::TallyPairs;

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

// The number of games in each pair of the whole match.
std::map<int, int> PairSizes(const MatchSetup &setup)
{
    std::map<int, int> sizes;
    for (const ScheduledGame &game : MatchSchedule(setup))
        ++sizes[game.pair];
    return sizes;
}

bool Whole(const std::map<int, std::vector<const GameRecord *>> &played, int pair, int size)
{
    auto found = played.find(pair);
    return found != played.end() && static_cast<int>(found->second.size()) >= size;
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

TwoEngineSummary TwoEngines(const MatchSetup &setup, const std::vector<GameRecord> &games, const Coverage &coverage)
{
    TwoEngineSummary two;
    for (const GameRecord &game : games)
        two.tally.Add(game);
    two.pairs = PairCounts(games);
    for (long count : two.pairs)
        two.pairCount += count;
    two.elo = PentanomialElo(two.pairs);
    if (!setup.sprtTest)
        return two;
    SprtSummary sprt{*setup.sprtTest, EvaluateSprt(*setup.sprtTest, two.pairs), SprtDecisionPair(setup, games), false};
    // A shard's own games never decide: the other shards' pairs count too.
    sprt.undecidedAtCap =
        sprt.state.decision == SprtDecision::Continue && coverage.Complete() && setup.shard.count == 1;
    two.sprt = sprt;
    return two;
}

std::vector<RatedGame> Rated(const std::vector<GameRecord> &games)
{
    std::vector<RatedGame> rated;
    for (const GameRecord &game : games)
        rated.push_back({game.players[0], game.players[1], ScoreOfA(game)});
    return rated;
}

std::optional<int> AnchorIndex(const MatchSetup &setup, const std::vector<std::string> &names)
{
    auto named = setup.anchor ? std::find(names.begin(), names.end(), *setup.anchor) : names.end();
    if (named == names.end())
        return std::nullopt;
    return static_cast<int>(named - names.begin());
}

// An end a start position opened after some of its stones were thrown: the
// efficiencies count whole ends only.
bool BegunMidway(const GameRecord &game, const EndRecord &end)
{
    return game.start && end.index == game.start->position.end && game.start->position.shot > 0;
}

std::vector<EndStatistics> EndsOf(const std::vector<std::string> &names, const std::vector<GameRecord> &games)
{
    std::vector<EndTally> ends;
    for (const GameRecord &game : games)
        for (const EndRecord &end : game.ends) {
            if (!end.complete || BegunMidway(game, end))
                continue;
            auto hammer = static_cast<std::size_t>(Index(end.hammer));
            auto other = static_cast<std::size_t>(Index(Other(end.hammer)));
            ends.push_back({game.players[hammer], game.players[other], end.points[hammer], end.points[other]});
        }
    return TallyEnds(names, ends);
}

// Per start position, in line order, the games played from it.
std::vector<PositionSummary> PositionsOf(const std::vector<GameRecord> &games)
{
    std::map<int, PositionSummary> byLine;
    for (const GameRecord &game : games) {
        if (!game.start)
            continue;
        PositionSummary &position = byLine[game.start->position.line];
        position.name = game.start->position.name;
        position.line = game.start->position.line;
        position.tally.Add(game);
    }
    for (const auto &[pair, members] : ByPair(games))
        if (members.size() == 2 && members[0]->start)
            ++byLine[members[0]->start->position.line].pairs;
    std::vector<PositionSummary> positions;
    for (auto &[line, position] : byLine)
        positions.push_back(std::move(position));
    return positions;
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
    std::map<int, int> pairSizes = PairSizes(setup);
    std::map<int, std::vector<const GameRecord *>> played = ByPair(games);
    Pentanomial counts{};
    for (const auto &[pair, size] : pairSizes) {
        if (!Whole(played, pair, size))
            return std::nullopt;
        if (size < 2)
            continue;
        std::vector<const GameRecord *> members = played[pair];
        std::sort(members.begin(), members.end(),
                  [](const GameRecord *a, const GameRecord *b) { return a->number < b->number; });
        ++counts[static_cast<std::size_t>(PentanomialIndex(ScoreOfA(*members[0]), ScoreOfA(*members[1])))];
        if (EvaluateSprt(*setup.sprtTest, counts).decision != SprtDecision::Continue)
            return pair;
    }
    return std::nullopt;
}

int FirstOpenPair(const MatchSetup &setup, const std::vector<GameRecord> &games)
{
    std::map<int, int> pairSizes = PairSizes(setup);
    std::map<int, std::vector<const GameRecord *>> played = ByPair(games);
    for (const auto &[pair, size] : pairSizes)
        if (!Whole(played, pair, size))
            return pair;
    return pairSizes.empty() ? 1 : pairSizes.rbegin()->first + 1;
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

MatchSummary SummariseMatch(const MatchSetup &setup, const std::vector<GameRecord> &games, Coverage coverage)
{
    MatchSummary summary;
    summary.engines = Names(setup);
    summary.games = static_cast<int>(games.size());
    summary.coverage = std::move(coverage);
    if (setup.engines.size() == 2) {
        summary.two = TwoEngines(setup, games, summary.coverage);
    } else {
        std::vector<RatedGame> rated = Rated(games);
        summary.ratings = FitRatings(summary.engines, rated, AnchorIndex(setup, summary.engines));
        summary.crosstable = TallyPairs(static_cast<int>(summary.engines.size()), rated);
    }
    summary.ends = EndsOf(summary.engines, games);
    if (setup.positions)
        summary.positions = PositionsOf(games);
    summary.times = TimeFigures(summary.engines, games);
    return summary;
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
