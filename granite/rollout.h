#pragma once

#include <cstdint>

#include "split_mix.h"
#include "tessival.h"

// The fast policy that plays an end out after a candidate: remove the other
// side's shot stone, else draw into the four-foot; the hammer's last stone
// throws away to blank an empty house when that is worth more than one point.
struct RolloutPolicy {
    bool hammerBlanksEmptyHouse = false;
};

// Plays the remaining stones of the end on state with the thrower's error
// drawn from generator, and returns the number of throws made.
int PlayOut(GameState &state, const RolloutPolicy &policy, TessivalGenerator &generator, SplitMix &choices);
