// One throw from a game state: the checks, the play and the rules of the game,
// computed without writing to the caller. Every Simulation call shares it.
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
    RandomStream stream;  // the stream after the throw
};

// The stream a throw draws from: `current` reseeded when seed is non-zero, else `current` itself.
RandomStream StreamForThrow(const RandomStream &current, std::uint32_t seed);

// The arguments must be usable. `stream` is the stream before the throw (StreamForThrow);
// `trace`, when set, receives every stone's runs and every contact.
ThrowOutcome PlayThrow(const GameState &state, ShotVector shot, float randomError, const RandomStream &stream,
                       int delivered, ThrowTrace *trace);

}  // namespace tessival
