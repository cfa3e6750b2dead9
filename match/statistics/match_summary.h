#pragma once

#include <string>

#include "record/game_record.h"

// Results of a match from engine A's side.
struct MatchTally {
    int wins = 0;
    int losses = 0;
    int draws = 0;
    int pointsFor = 0;
    int pointsAgainst = 0;

    void Add(const GameRecord &game);
    int Games() const { return wins + losses + draws; }
};

// "game 3 of 10: 2-1-0 (W-L-D for A pebble)"
std::string ProgressLine(const MatchTally &tally, int totalGames, const std::string &nameA);

// Wins, losses, draws, points and the Elo difference of A over B.
std::string SummaryText(const MatchTally &tally, const PerSide<std::string> &names);
