#pragma once

#include <string>

#include "game/game_record.h"

namespace match::game {

// The game as a curling scoreboard: a row per engine, a column per end
// (extra ends marked X1, X2, ...), the total; a '*' after an end's score marks
// the side that held the hammer in it. Then a line with the result. A game
// from a start position has the points it started with in a column S before
// the ends, and a line naming the position.
std::string FormatLineScore(const GameRecord &game, const PerSide<std::string> &names);

// "from \"one down with the hammer\" (line 3): end 8 with stone 1 to throw, A 3 - B 4,
// hammer B":
// where a game from a start position began; empty for a game from the empty sheet.
std::string FormatStart(const GameRecord &game);

// "pebble B wins 6-4", "draw 5-5", "pebble A forfeits ...".
std::string FormatResult(const GameRecord &game, const PerSide<std::string> &names);

// "A pebble": the engine's letter and name.
std::string EngineLabel(Side side, const PerSide<std::string> &names);

}  // namespace match::game
