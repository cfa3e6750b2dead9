// One throw from a game state: the checks, the play and the rules of the game,
// computed without writing to the caller. Simulation and SimulationTrace share it.
#pragma once

#include <cstdint>

#include "random_stream.h"
#include "sheet_play.h"
#include "tessival.h"

namespace tessival {

// The delivered stone's index, or -1 when the arguments name none.
int DeliveredIndex(const GameState &state, std::int32_t stoneIndex);
bool UsableVector(const ShotVector &shot);
bool UsableError(float randomError);

struct ThrowOutcome {
    float stones[STONE_COUNT][2];
    RandomStream stream;  // the process stream after the throw
};

// The arguments must be usable. `path`, when set, receives the delivered stone's runs.
ThrowOutcome PlayThrow(const GameState &state, ShotVector shot, float randomError, std::uint32_t seed,
                       int delivered, DeliveredPath *path);

}  // namespace tessival
