#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <vector>

#include "value/end_score_distribution.h"
#include "value/game_situation.h"
#include "value/position_features.h"
#include "value/value_network.h"

namespace granite::value {

// The chance of winning the game from its score, the ends left and the hammer,
// by dynamic programming over the distribution of end scores for the side with
// the hammer: one measured distribution, the same in every end, or the value
// network's for an end not yet begun, which depends on the lead and the ends
// left. A game tied after the regular ends gets up to EXTRA_ENDS extra ends and
// is then drawn, worth one half.
class WinTable {
public:
    static constexpr int EXTRA_ENDS = 3;
    static constexpr int MAX_ENDS_LEFT = 24;
    static constexpr int MAX_LEAD = 24;
    using Distribution = std::array<double, 2 * MAX_END_SCORE + 1>;

    explicit WinTable(const EndScoreCounts &counts);
    explicit WinTable(const ValueNetwork &network);

    // The chance that the side to move in situation wins once the current end
    // ends with endScore for it (negative when the other side scores).
    double AfterEnd(const GameSituation &situation, int endScore) const;

    // The chance of winning with lead, regularLeft regular ends and extraLeft
    // extra ends still to play, holding the hammer in the next end or not.
    double Chance(int regularLeft, int extraLeft, int lead, bool hammer) const;

private:
    explicit WinTable(std::function<Distribution(const EndContext &)> distribution);
    double PlayEnd(int regularLeft, int extraLeft, int lead, bool hammer) const;
    const Distribution &Probabilities(int regularLeft, int lead, bool hammer) const;
    static std::size_t Index(int regularLeft, int extraLeft, int lead, bool hammer);

    // Of the hammer side's end score, by k + MAX_END_SCORE, for each context
    // the network tells apart: ends left after this one, extra end or not, lead.
    std::vector<Distribution> probabilities_;
    std::vector<double> chances_;
};

}  // namespace granite::value
