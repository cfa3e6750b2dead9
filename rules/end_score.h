// The score of an end as the stones lie.
#pragma once

#include "tessival.h"

namespace rules {

// From -8 to 8, positive when the stones of side (0 the even indices, 1 the
// odd) score; for any other side every point counts against it. The side with
// the stone nearest the tee scores each of its stones in the house (InHouse)
// strictly nearer than the other side's nearest; equally near nearest stones
// score 0 for both. All sixteen stones are read whatever shotIndex says; a
// stone at (0, 0) lies far outside the house.
int EndScore(const GameState &state, int side);

}  // namespace rules
