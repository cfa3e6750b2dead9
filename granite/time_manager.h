#pragma once

#include "tessival.h"

namespace granite {

// How much a shot deserves of the time, an average shot's being about 1: the
// later in the end the more (the hammer's last stone most, the early guards
// least), and more again when both sides have a stone near the button.
// state is sanitized (search::Sanitized).
double ShotWeight(const GameState &state);

// The stones the side to move still throws in the game, this one included:
// the rest of this end and 8 per regular end to come (extra ends not counted).
int ShotsLeft(const GameState &state);

// Milliseconds to think on the shot of state (sanitized) with clockMs left on
// the side to move's clock: this shot's weight's share of what the clock can
// spare for the rest of the game. It keeps back a reserve, an allowance per
// shot for what the match manager measures beyond the thinking (start-up,
// pipes, a loaded machine) and time for extra ends; it never plans more than
// a fixed share of the clock, nor more than 30 s, on one shot, and never less
// than 1, however little is left.
double ThinkMilliseconds(const GameState &state, double clockMs);

}  // namespace granite
