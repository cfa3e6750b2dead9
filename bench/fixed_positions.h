// Positions shared by the GO benchmarks, the allocation test and the bench
// signature, so that all of them measure and fold the same play.
#pragma once

#include <string>

#include "tessival.h"

namespace bench {

// Fifteen stones in and around the house (stones 0..14; stone 15 not yet
// thrown), at the given shot index and in the first of eight ends.
GameState CrowdedHouse(int shotIndex);

// The shot indexes at which GO latency is measured.
inline constexpr int MEASURED_SHOTS[] = {0, 4, 14, 15};

// The protocol lines that set up a position: POSITION and SETSTATE.
std::string PositionCommands(const GameState &state);

}  // namespace bench
