#pragma once

#include <string>

#include "game/game_record.h"

namespace match::game {

// The game as a curling scoreboard: a row per engine, a column per end
// (extra ends marked X1, X2, ...), the total; a '*' after an end's score marks
// the side that held the hammer in it. Then a line with the result.
std::string FormatLineScore(const GameRecord &game, const PerSide<std::string> &names);

// "pebble B wins 6-4", "draw 5-5", "pebble A forfeits ...".
std::string FormatResult(const GameRecord &game, const PerSide<std::string> &names);

// "A pebble": the engine's letter and name.
std::string EngineLabel(Side side, const PerSide<std::string> &names);

}  // namespace match::game
