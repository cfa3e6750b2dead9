// The sheet and the ice of the model, in metres, seconds and m/s.
#pragma once

namespace tessival {

inline constexpr double SHEET_WIDTH = 4.75;
inline constexpr double TEE_X = 2.375;
inline constexpr double TEE_Y = 4.88;
inline constexpr double HOUSE_RADIUS = 1.83;
inline constexpr double STONE_RADIUS = 0.145;
inline constexpr double BACK_LINE_Y = 3.05;
inline constexpr double HOG_LINE_Y = 11.28;
inline constexpr double RELEASE_X = 2.375;
inline constexpr double RELEASE_Y = 33.227;

// A stone lies wholly past the hog line while its centre is below this.
inline constexpr double HOG_LIMIT_Y = HOG_LINE_Y - STONE_RADIUS;
// No part of a stone farther than this from the tee is over the house.
inline constexpr double HOUSE_REACH = HOUSE_RADIUS + STONE_RADIUS;

inline constexpr double DECELERATION = 0.08;       // m/s^2 along the motion
inline constexpr double CURL_ACCELERATION = 0.006; // m/s^2 across the motion
inline constexpr double CURL_RATIO = CURL_ACCELERATION / DECELERATION;
inline constexpr double RESTITUTION = 0.9;

}  // namespace tessival
