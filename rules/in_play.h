// Which stones take part in play.
#pragma once

#include "tessival.h"

namespace rules {

// Out of play exactly when both coordinates are 0 (of either sign); NaN,
// infinite and off-sheet coordinates are in play as far as this rule goes.
inline bool InPlay(const float stone[2])
{
    return !(stone[0] == 0.0f && stone[1] == 0.0f);
}

inline bool InPlay(const GameState &state, int stone)
{
    return InPlay(state.stones[stone]);
}

}  // namespace rules
