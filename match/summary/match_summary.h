#pragma once

#include <string>
#include <vector>

#include "match_setup.h"
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

// The games of a match's summary: those of the setup's match, in game-number
// order.
std::vector<GameRecord> SummarisedGames(const MatchSetup &setup, std::vector<GameRecord> games);

// The summary of a match from its finished games; the same text after a run
// and from its records.
std::string SummaryText(const MatchSetup &setup, const std::vector<GameRecord> &games);

// "game 3 of 10: 2-1-0 (W-L-D for A pebble)" for two engines, without the
// score for more.
std::string ProgressLine(const MatchSetup &setup, const std::vector<GameRecord> &games, int totalGames);
