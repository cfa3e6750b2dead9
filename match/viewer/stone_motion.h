#pragma once

#include <vector>

#include "game/game_record.h"

namespace match::viewer {

// m: how far a shown path may stray from the traced curve.
inline constexpr double SHOWN_PATH_TOLERANCE = 0.001;
// m: how far a stone running evenly along a shown path may be ahead of or
// behind the traced stone at the same time: under a pixel at the page's
// 64 px/m, so the animation keeps the stones' slowing down.
inline constexpr double SHOWN_TIMING_TOLERANCE = 0.01;

// A point of a path as the page shows it.
struct ShownPoint {
    double time = 0.0;  // s after the release
    game::PathPoint at{};
};

// The part of a traced path that a view ending at farY shows, from the last
// point before the stone first comes within it (the thrown stone's run from
// the release lies beyond) to its end. Of the traced points it keeps those a
// stone running straight at an even speed from each to the next needs to pass
// every traced point between them within SHOWN_PATH_TOLERANCE of where it
// lies and within SHOWN_TIMING_TOLERANCE of where it is at its time: a path
// keeps a point where it bends, or where its speed changes more than evenly
// running segments can follow.
std::vector<ShownPoint> ShownPath(const game::StonePath &path, double farY);

}  // namespace match::viewer
