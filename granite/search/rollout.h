#pragma once

#include <array>

#include "search/shot_plan.h"
#include "search/split_mix.h"
#include "tessival.h"
#include "value/end_score_distribution.h"
#include "value/game_situation.h"
#include "value/win_table.h"

namespace granite::search {

// The fast policy that plays an end out after a candidate: remove the other
// side's shot stone, else draw into the four-foot; a hammer side playing for a
// blank hits the shot stone and rolls out too. The last stone of the end
// looks one throw ahead: it tries a few shots without error (hit the other
// side's shot stone, hit the shot stone of either side and roll out, draw to
// the button or the top of the four-foot, throw away) and throws the best for
// its side, with error.
struct RolloutPolicy {
    int rootSide = 0;  // the side whose values endValue holds
    // The value for rootSide of each end score k for it, at k + value::MAX_END_SCORE.
    std::array<double, 2 * value::MAX_END_SCORE + 1> endValue{};
    // The hammer side would rather blank than score one: its hits on the other
    // side's shot stone roll out of the house too. (It still draws when it lies
    // shot: play-outs whose hammer threw its stones away undervalued it.)
    bool hammerKeepsHouseClean = false;
};

// The policy of the side to move in situation, which throws the stones of
// parity rootSide: each end score valued by its chance of winning the game.
RolloutPolicy PolicyFor(const value::WinTable &table, const value::GameSituation &situation, int rootSide);

// The policy's plan for a stone before the last of the end, its spin drawn
// from choices.
ShotPlan PolicyPlan(const GameState &state, const RolloutPolicy &policy, SplitMix &choices);

// Plays the remaining stones of the end on state with the thrower's error
// drawn from generator, or those before shot index stopAt, and returns the
// number of throws made.
inline constexpr int END_OF_END = 16;
int PlayOut(GameState &state, const RolloutPolicy &policy, TessivalGenerator &generator, SplitMix &choices,
            int stopAt = END_OF_END);

}  // namespace granite::search
