#include "statistics/match_summary.h"

#include "statistics/elo.h"

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

std::string ProgressLine(const MatchTally &tally, int totalGames, const std::string &nameA)
{
    return "game " + std::to_string(tally.Games()) + " of " + std::to_string(totalGames) + ": " + std::to_string(tally.wins) +
           "-" + std::to_string(tally.losses) + "-" + std::to_string(tally.draws) + " (W-L-D for A " + nameA + ")";
}

std::string SummaryText(const MatchTally &tally, const PerSide<std::string> &names)
{
    auto plural = [](int count, const char *word) { return std::to_string(count) + " " + word + (count == 1 ? "" : "s"); };
    std::string draws = std::to_string(tally.draws) + (tally.draws == 1 ? " draw" : " draws");
    return "A " + names[0] + " vs B " + names[1] + " after " + plural(tally.Games(), "game") + ": " + plural(tally.wins, "win") +
           ", " + (tally.losses == 1 ? std::string("1 loss") : std::to_string(tally.losses) + " losses") + ", " + draws +
           "; points for " + std::to_string(tally.pointsFor) + ", against " + std::to_string(tally.pointsAgainst) + "\n" +
           FormatElo(EstimateElo(tally.wins, tally.losses, tally.draws)) + " for A over B\n";
}
