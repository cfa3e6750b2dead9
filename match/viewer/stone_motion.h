#pragma once

#include <vector>

#include "game/game_record.h"

namespace match::viewer {

// m: how far a shown path may stray from the traced one.
inline constexpr double SHOWN_PATH_TOLERANCE = 0.001;

// A point of a path as the page shows it.
struct ShownPoint {
    double time = 0.0;  // s after the release
    game::PathPoint at{};
};

// The part of a traced path that a view ending at farY shows, from the last
// point before the stone first comes within it (the thrown stone's run from
// the release lies beyond) to its end, keeping only the points that a stone
// running straight at an even speed from each to the next needs to pass
// within SHOWN_PATH_TOLERANCE of every traced point at its time.
std::vector<ShownPoint> ShownPath(const game::StonePath &path, double farY);

}  // namespace match::viewer
