#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tessival.h"

// An in-process stand-in for the physics library, bound into the simulator
// record. Every call is recorded in order. A built vector echoes its target
// (vx = x, vy = y, spin = target spin + spinOffset); a hit also records its
// power. Simulation hands the copy it was given to the scripted outcome, which
// decides where the stones end, by the number of the Simulation call.
namespace scripted {

enum CallKind { CREATE_SHOT, CREATE_HIT_SHOT, SIMULATION };

struct Call {
    CallKind kind;
    ShotTarget target;  // builds
    float power;        // hits
    ShotVector vector;  // the vector built, or the one simulated
    const GameState *statePointer;
    GameState state;  // as Simulation received it
    float randomError;
    uint32_t seed;
    int32_t stoneIndex;
};

using Outcome = std::function<void(GameState &state, const ShotVector &shot, int simulation)>;

extern std::vector<Call> calls;
extern Outcome outcome;
extern int spinOffset;

// Clears the record, binds the stand-in and leaves every throw without effect.
void Bind();

std::vector<Call> CallsOf(CallKind kind);

// Rewrites the stones of state so that EvaluateEnd(state, side) gives score
// (-8..8): |score| stones of the scoring side near the tee, the rest at (0, 0).
void ArrangeScore(GameState &state, int side, int score);

// An outcome giving candidate c (the simulation number modulo period, as the
// calls run in candidate order) the score scores[c] for side.
Outcome ScoreByCandidate(int side, std::vector<int> scores);

}  // namespace scripted
