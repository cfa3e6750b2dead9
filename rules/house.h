// The house as the end is scored: distances to the tee in single precision.
#pragma once

#include "tessival.h"

namespace rules {

inline constexpr float TEE_X = static_cast<float>(TESSIVAL_TEE_X);
inline constexpr float TEE_Y = static_cast<float>(TESSIVAL_TEE_Y);
// No part of a stone farther than this from the tee is over the house.
inline constexpr float HOUSE_REACH = static_cast<float>(TESSIVAL_HOUSE_REACH);
// Rounded to float, as the squared distances it is compared with.
inline constexpr float HOUSE_REACH_SQUARED = HOUSE_REACH * HOUSE_REACH;

// (x - TEE_X)^2 + (y - TEE_Y)^2, every step rounded to float.
inline float TeeDistanceSquared(float x, float y)
{
    const float dx = x - TEE_X;
    const float dy = y - TEE_Y;
    return dx * dx + dy * dy;
}

// Strictly nearer the tee than the reach; a NaN coordinate never is.
inline bool InHouse(float x, float y)
{
    return TeeDistanceSquared(x, y) < HOUSE_REACH_SQUARED;
}

}  // namespace rules
