// A fixed-step integration of the stones' equations of motion, independent of the
// library's closed form: the yardstick for its accuracy and its speed.
#pragma once

#include <array>

#include "tessival.h"

namespace reference {

struct Stone {
    double x, y, vx, vy;
    int curl;  // -1, 0 or +1
    bool inPlay;
    bool moving;
};

using Stones = std::array<Stone, 16>;

// Fourth-order Runge-Kutta steps of `step` seconds until every stone rests; a step
// holding a contact or a stone leaving the sheet is cut by bisection at the event.
void Play(Stones &stones, double step);

// The physics of Simulation without error, its hog line and its guard rule.
Stones Throw(const GameState &state, ShotVector shot, int delivered, double step = 1e-3);

}  // namespace reference
