#pragma once

#include <string>

#include "protocol/player.h"
#include "tessival.h"

namespace match::protocol {

// The command lines the runner sends, each ending in a line feed. Coordinates
// are written with nine significant digits, enough for the engine to read back
// the very float the runner holds.
std::string PositionCommand(const GameState &state);
std::string SetStateCommand(const GameState &state);
// SCORE own other: the game's points of the side to move and of the other side.
std::string ScoreCommand(const GamePoints &points);
// TIME own other: the milliseconds left on the clocks of the side to move and of the other side.
std::string TimeCommand(const ClockTimes &clock);

}  // namespace match::protocol
