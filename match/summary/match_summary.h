#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/game_record.h"
#include "setup/match_setup.h"
#include "statistics/crosstable.h"
#include "statistics/end_statistics.h"
#include "statistics/pentanomial.h"
#include "statistics/rating_table.h"
#include "statistics/sprt.h"
#include "summary/coverage.h"
#include "summary/time_figures.h"

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

// The SPRT over the summarised pairs. decidedAfterPair is the pair at which
// it decided; undecidedAtCap says every game was played without a decision.
struct SprtSummary {
    statistics::SprtTest test;
    statistics::SprtState state;
    std::optional<int> decidedAfterPair;
    bool undecidedAtCap = false;
};

// The figures of a match between two engines, from A's side.
struct TwoEngineSummary {
    MatchTally tally;
    statistics::Pentanomial pairs{};
    long pairCount = 0;  // whole pairs; a half pair at the end is not counted
    statistics::EloEstimate elo{};
    std::optional<SprtSummary> sprt;
};

// The games played from one start position, from the side of the first
// engine of each pairing (A).
struct PositionSummary {
    std::string name;
    int line = 0;  // in the positions file
    MatchTally tally;
    long pairs = 0;  // whole pairs

    double ScorePercent() const { return 100.0 * (tally.wins + 0.5 * tally.draws) / tally.Games(); }
};

// Every figure of a match's summary, computed once and rendered as text or
// JSON. two is set for two engines; ratings and crosstable for more.
struct MatchSummary {
    std::vector<std::string> engines;
    int games = 0;
    Coverage coverage;
    std::optional<TwoEngineSummary> two;
    statistics::RatingFit ratings;
    std::vector<statistics::PairResult> crosstable;
    std::vector<statistics::EndStatistics> ends;
    std::optional<std::vector<PositionSummary>> positions;  // with --positions, in line order
    std::vector<EngineTimes> times;
};

// The pair at which the setup's SPRT decided, counting the pairs in order as
// long as every game of each is among games; none while it goes on.
std::optional<int> SprtDecisionPair(const setup::MatchSetup &setup, const std::vector<game::GameRecord> &games);

// The first pair, in pair order, that lacks one of its games, or one past the
// last pair when none does: with --sprt, no game of a later pair can count
// before every game of this one is in.
int FirstOpenPair(const setup::MatchSetup &setup, const std::vector<game::GameRecord> &games);

// Empties a game's ends of their shots, which no summary reads, so that a long
// match is summed up in little memory.
void DropShots(game::GameRecord &game);

// The games a summary counts, in game-number order: all of them, or with
// --sprt those up to the pair at which the test decided.
std::vector<game::GameRecord> SummarisedGames(const setup::MatchSetup &setup, std::vector<game::GameRecord> games);

// The summary of a match from its summarised games and what they lack; the
// same after a run and from its records.
MatchSummary SummariseMatch(const setup::MatchSetup &setup, const std::vector<game::GameRecord> &games,
                            Coverage coverage);

// "game 3 of 10: 2-1-0 (W-L-D for A pebble)" and the SPRT state for two
// engines, "game 3 of 10" for more.
std::string ProgressLine(const setup::MatchSetup &setup, const std::vector<game::GameRecord> &games, int totalGames);

}  // namespace match::summary
