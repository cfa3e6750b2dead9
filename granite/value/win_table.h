#pragma once

#include <cstddef>
#include <vector>

#include "value/end_score_distribution.h"
#include "value/game_situation.h"

namespace granite::value {

// The chance of winning the game from its score, the ends left and the hammer,
// by dynamic programming over one distribution of end scores for the side with
// the hammer, the same in every end. A game tied after the regular ends gets up
// to EXTRA_ENDS extra ends and is then drawn, worth one half.
class WinTable {
public:
    static constexpr int EXTRA_ENDS = 3;
    static constexpr int MAX_ENDS_LEFT = 24;
    static constexpr int MAX_LEAD = 24;

    explicit WinTable(const EndScoreCounts &counts);

    // The chance that the side to move in situation wins once the current end
    // ends with endScore for it (negative when the other side scores).
    double AfterEnd(const GameSituation &situation, int endScore) const;

    // The chance of winning with lead, regularLeft regular ends and extraLeft
    // extra ends still to play, holding the hammer in the next end or not.
    double Chance(int regularLeft, int extraLeft, int lead, bool hammer) const;

private:
    double PlayEnd(int regularLeft, int extraLeft, int lead, bool hammer) const;
    static std::size_t Index(int regularLeft, int extraLeft, int lead, bool hammer);

    std::vector<double> probability_;  // of the hammer side's end score, by k + MAX_END_SCORE
    std::vector<double> chances_;
};

}  // namespace granite::value
