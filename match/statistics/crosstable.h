#pragma once

#include <string>
#include <vector>

#include "statistics/rating_table.h"

namespace match::statistics {

// The games between two engines from the first one's side.
struct PairResult {
    int first;
    int second;
    int wins = 0;
    int losses = 0;
    int draws = 0;

    int Games() const { return wins + losses + draws; }
    // The first engine's points, a draw counting half.
    double Points() const { return wins + 0.5 * draws; }
};

// One entry per two engines that played each other, first < second, in
// engine order; games naming an engine outside 0..engines - 1 or the same
// engine twice are left out.
std::vector<PairResult> TallyPairs(int engines, const std::vector<RatedGame> &games);

// A square table in the order of ranking (engine indices, best first): each
// row engine's W-L-D and score against each column engine, "." where two
// engines did not meet.
std::string FormatCrosstable(const std::vector<std::string> &names, const std::vector<int> &ranking,
                             const std::vector<PairResult> &pairs);

}  // namespace match::statistics
