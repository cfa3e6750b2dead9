#pragma once

#include <cstdint>
#include <vector>

#include "game/game_record.h"
#include "tessival.h"

namespace match::game {

// Throws the shots of one game through the physics library with the match's
// error, each with a seed of its own derived from the match seed and the
// game's pair: both games of a pair throw with the same seeds. Each thrower
// draws from a generator of its own, so games are thrown at once without a
// lock.
class Thrower {
public:
    // pair counts from 1.
    Thrower(uint64_t matchSeed, int pair, float error);
    virtual ~Thrower() = default;

    // The seed of the throw at shotIndex in end (both counting from 0): a
    // hash of the match seed, the pair, the end and the shot index, never 0
    // (0 would continue the generator's stream instead of reseeding it).
    uint32_t Seed(int end, int shotIndex) const;

    // Throws shot from state with seed, leaving the resting position in state
    // and what the throw traced in trace. A non-zero seed reseeds the
    // generator as it would reseed the library's own, so the throw comes out
    // as SimulationTrace's with that seed. False when the library refused the
    // shot. Virtual so that a test can script where its stones come to rest.
    virtual bool Throw(GameState &state, const ShotVector &shot, uint32_t seed, ShotTrace &trace);

private:
    uint64_t matchSeed_;
    int pair_;
    float error_;
    TessivalGenerator generator_{};
    std::vector<TessivalContact> contacts_;  // grows to the most contacts a throw has had
};

}  // namespace match::game
