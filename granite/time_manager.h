#pragma once

#include "tessival.h"

namespace granite {

// Milliseconds to think on the shot of state (sanitized, search::Sanitized)
// with clockMs left on the side to move's clock: this shot's weight's share of
// what the clock can spare for the shots the side has left (the rest of this
// end and 8 per regular end to come). A shot weighs the more the later it comes
// in the end (the hammer's last stone most, the early guards least), and more
// again when both sides have a stone near the button. What the clock can spare
// keeps back a reserve, an allowance per shot for what the match manager
// measures beyond the thinking (start-up, pipes, a loaded machine) and time
// for extra ends. No shot plans more than a fixed share of the clock, nor more
// than 30 s, nor less than 1, however little is left.
double ThinkMilliseconds(const GameState &state, double clockMs);

}  // namespace granite
