#include "summary/match_summary.h"

#include <algorithm>

#include "statistics/elo.h"

namespace {

MatchTally Tally(const std::vector<GameRecord> &games, PerSide<int> players)
{
    MatchTally tally;
    for (const GameRecord &game : games)
        if (game.players == players)
            tally.Add(game);
    return tally;
}

std::string PairingSummary(const MatchTally &tally, const std::string &nameA, const std::string &nameB)
{
    auto plural = [](int count, const char *word) { return std::to_string(count) + " " + word + (count == 1 ? "" : "s"); };
    std::string draws = std::to_string(tally.draws) + (tally.draws == 1 ? " draw" : " draws");
    return "A " + nameA + " vs B " + nameB + " after " + plural(tally.Games(), "game") + ": " + plural(tally.wins, "win") +
           ", " + (tally.losses == 1 ? std::string("1 loss") : std::to_string(tally.losses) + " losses") + ", " + draws +
           "; points for " + std::to_string(tally.pointsFor) + ", against " + std::to_string(tally.pointsAgainst) + "\n" +
           FormatElo(EstimateElo(tally.wins, tally.losses, tally.draws)) + " for A over B\n";
}

} // namespace

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

std::vector<GameRecord> SummarisedGames(const MatchSetup &, std::vector<GameRecord> games)
{
    std::sort(games.begin(), games.end(), [](const GameRecord &a, const GameRecord &b) { return a.number < b.number; });
    return games;
}

std::string SummaryText(const MatchSetup &setup, const std::vector<GameRecord> &games)
{
    std::string text;
    const int engines = static_cast<int>(setup.engines.size());
    for (int first = 0; first < engines; ++first)
        for (int second = first + 1; second < engines; ++second) {
            MatchTally tally = Tally(games, {first, second});
            if (tally.Games() > 0)
                text += PairingSummary(tally, setup.engines[static_cast<std::size_t>(first)].name,
                                       setup.engines[static_cast<std::size_t>(second)].name);
        }
    return text;
}

std::string ProgressLine(const MatchSetup &setup, const std::vector<GameRecord> &games, int totalGames)
{
    std::string line = "game " + std::to_string(games.size()) + " of " + std::to_string(totalGames);
    if (setup.engines.size() != 2)
        return line;
    MatchTally tally = Tally(games, {0, 1});
    return line + ": " + std::to_string(tally.wins) + "-" + std::to_string(tally.losses) + "-" + std::to_string(tally.draws) +
           " (W-L-D for A " + setup.engines[0].name + ")";
}
