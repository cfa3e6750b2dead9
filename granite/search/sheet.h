#pragma once

#include "house.h"
#include "tessival.h"

namespace granite::search {

// The stones as granite reads them; the sheet's measures are the rules'.
using rules::HOUSE_REACH;
using rules::TEE_X;
using rules::TEE_Y;
inline constexpr int STONE_COUNT = TESSIVAL_STONE_COUNT;

// The thrower's error of every simulated throw, as the match runner's.
inline constexpr float RANDOM_ERROR = 0.145f;

float TeeDistance(const GameState &state, int stone);

// The stone in play nearest the tee within HOUSE_REACH, or -1 for an empty house.
int ShotStone(const GameState &state);

// state with its shot index clamped to 0..15 and every stone not yet thrown
// (index from the shot index on) or not finite taken out of play: granite
// reads only such states and the library's results, so that every stone in
// play (rules::InPlay) is finite.
GameState Sanitized(const GameState &state);

}  // namespace granite::search
