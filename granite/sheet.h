#pragma once

#include "geometry.h"
#include "tessival.h"

namespace granite {

// The stones as granite reads them; the sheet's measures are the analysis's.

// The thrower's error of every simulated throw, as the match runner's.
inline constexpr float RANDOM_ERROR = 0.145f;

// Thrown and still on the sheet: not at (0, 0) and with finite coordinates.
bool InPlay(const GameState &state, int stone);

float TeeDistance(const GameState &state, int stone);

// The stone in play nearest the tee within HOUSE_REACH, or -1 for an empty house.
int ShotStone(const GameState &state);

// state with its shot index clamped to 0..15 and every stone not yet thrown
// (index from the shot index on) or not finite taken out of play.
GameState Sanitized(const GameState &state);

}  // namespace granite
