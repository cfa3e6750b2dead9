#pragma once

#include <vector>

#include "game_record.h"

// A stone that the throw set moving, other than the thrown one.
struct StoneMove {
    int stone = 0;
    double start = 0.0;   // seconds after the release when it was struck
    double run = 0.0;     // seconds it ran to its rest; 0 when it left play
    bool removed = false; // it left play
};

// How a throw is shown moving. The library traces the thrown stone only: a
// struck stone is shown running straight from where it lay to its rest, from
// the moment the thrown stone reached it, slowing as a free stone does.
struct ShotMotion {
    double step = 0.0;     // seconds between the path's points
    int firstPoint = 0;    // the path's first point that a view ending at farY needs
    double duration = 0.0; // seconds from the release until the thrown stone stopped or left
    std::vector<StoneMove> moves;
};

// The motion of a played shot whose path was traced.
ShotMotion DescribeMotion(const ShotRecord &shot, double farY);
