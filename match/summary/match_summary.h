#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/game_record.h"
#include "setup/match_setup.h"

namespace match::summary {

// Results of a match from engine A's side.
struct MatchTally {
    int wins = 0;
    int losses = 0;
    int draws = 0;
    int pointsFor = 0;
    int pointsAgainst = 0;

    void Add(const game::GameRecord &game);
    int Games() const { return wins + losses + draws; }
};

// The pair at which the setup's SPRT decided, counting the pairs in order as
// long as every game of each is among games; none while it goes on.
std::optional<int> SprtDecisionPair(const setup::MatchSetup &setup, const std::vector<game::GameRecord> &games);

// Empties a game's ends of their shots, which no summary reads, so that a long
// match is summed up in little memory.
void DropShots(game::GameRecord &game);

// The games a summary counts, in game-number order: all of them, or with
// --sprt those up to the pair at which the test decided.
std::vector<game::GameRecord> SummarisedGames(const setup::MatchSetup &setup, std::vector<game::GameRecord> games);

// The summary of a match from its summarised games; the same text after a
// run and from its records. Two engines: wins, losses and draws, points, the
// Elo from the pair results and the SPRT state; more engines: the rating
// table. Then the end statistics of every engine.
std::string SummaryText(const setup::MatchSetup &setup, const std::vector<game::GameRecord> &games);

// "game 3 of 10: 2-1-0 (W-L-D for A pebble)" and the SPRT state for two
// engines, "game 3 of 10" for more.
std::string ProgressLine(const setup::MatchSetup &setup, const std::vector<game::GameRecord> &games, int totalGames);

}  // namespace match::summary
