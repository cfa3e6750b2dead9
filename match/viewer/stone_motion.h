#pragma once

#include <vector>

#include "game/game_record.h"

namespace match::viewer {

// A stone that the throw set moving, other than the thrown one.
struct StoneMove {
    int stone = 0;
    double start = 0.0;    // seconds after the release when it was struck
    double run = 0.0;      // seconds it ran until it rested or left play
    bool removed = false;  // it left play
    game::PathPoint heading{};   // unit direction of a stone that left play: away from the thrown stone
    double speed = 0.0;    // m/s with which a stone that left play set off
};

// m/s^2: how a free stone slows on the library's ice (tessival.h, FREE MOTION).
inline constexpr double FREE_DECELERATION = 0.08;

// How a throw is shown moving. The runner traces the thrown stone only: a
// struck stone is shown running straight from the moment the thrown stone
// reached it, slowing as a free stone does, to its rest, or, when it left
// play, away from the thrown stone at the speed that one had.
struct ShotMotion {
    double step = 0.0;     // seconds between the path's points
    int firstPoint = 0;    // the path's first point that a view ending at farY needs
    double duration = 0.0; // seconds from the release until the thrown stone stopped or left
    std::vector<StoneMove> moves;
};

// The motion of a played shot whose path was traced.
ShotMotion DescribeMotion(const game::ShotRecord &shot, double farY);

} // namespace match::viewer
