#pragma once

#include <optional>

#include "tessival.h"

namespace granite::search {

// A shot as a thrower means it: a draw to rest at (x, y), or a hit through
// (x, y) with power metres of run left there (tessival's CreateHitShot).
struct ShotPlan {
    enum Kind { DRAW, HIT } kind = DRAW;
    float x = 0.0f;
    float y = 0.0f;
    int spin = 0;
    float power = 0.0f;
};

// The launch vector of plan, or nothing when the library refuses its target.
std::optional<ShotVector> BuildVector(const ShotPlan &plan);

}  // namespace granite::search
