#pragma once

#include <array>

namespace granite::value {

// How often an end ends with each score for the side with the hammer: entry
// k + MAX_END_SCORE counts the ends where it scored k (negative: the other side
// stole -k; 0: a blank end). Measured in self-play by
// scripts/measure_end_scores.sh; the DP of WinTable turns it into chances.
inline constexpr int MAX_END_SCORE = 8;
using EndScoreCounts = std::array<int, 2 * MAX_END_SCORE + 1>;

// granite against granite (see end_score_counts.cpp for the run).
extern const EndScoreCounts MEASURED_END_SCORES;

}  // namespace granite::value
