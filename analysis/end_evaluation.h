#pragma once

#include "tessival.h"

// The score of the end as it stands in state, from -8 to 8, positive when the
// stones of side (0 even index, 1 odd index) score. All sixteen stones are
// read whatever shotIndex says; a stone at (0, 0) lies out of reach.
int EvaluateEnd(const GameState &state, int side);
