// The sheet and the ice of the model, in metres, seconds and m/s. The sheet's
// measures are tessival.h's; the ice's stay private to the library.
#pragma once

#include "tessival.h"

namespace tessival {

inline constexpr double SHEET_WIDTH = TESSIVAL_SHEET_WIDTH;
inline constexpr double TEE_X = TESSIVAL_TEE_X;
inline constexpr double TEE_Y = TESSIVAL_TEE_Y;
inline constexpr double STONE_RADIUS = TESSIVAL_STONE_RADIUS;
inline constexpr double BACK_LINE_Y = TESSIVAL_BACK_LINE_Y;
inline constexpr double HOG_LINE_Y = TESSIVAL_HOG_LINE_Y;
inline constexpr double RELEASE_X = TESSIVAL_RELEASE_X;
inline constexpr double RELEASE_Y = TESSIVAL_RELEASE_Y;

// A stone lies wholly past the hog line while its centre is below this.
inline constexpr double HOG_LIMIT_Y = HOG_LINE_Y - STONE_RADIUS;

inline constexpr double DECELERATION = 0.08;        // m/s^2 along the motion
inline constexpr double CURL_ACCELERATION = 0.006;  // m/s^2 across the motion
inline constexpr double CURL_RATIO = CURL_ACCELERATION / DECELERATION;
inline constexpr double RESTITUTION = 0.9;

}  // namespace tessival
