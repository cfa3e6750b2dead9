#pragma once

#include <optional>
#include <string>

#include "game/game_flow.h"
#include "game/game_record.h"
#include "game/side_clocks.h"
#include "game/thrower.h"
#include "protocol/player.h"

namespace match::game {

struct GameSettings {
    int number = 1;  // counts from 1
    int ends = 8;
    Side firstHammer = Side::B;
    int pair = 1;  // counts from 1
    PerSide<int> players{0, 1};
    std::optional<GameStart> start = std::nullopt;  // none to start from the empty sheet of end 1
    std::optional<PerSide<TimeControl>> clock{};    // A's and B's; none: no clock, --timeout alone
};

// Plays a game between the two players, from NEWGAME on, each shot thrown by
// thrower. A player whose answer is no shot forfeits and the game ends there;
// on a clock, so does one whose answer came after its clock ran out (on time).
GameRecord PlayGame(const GameSettings &settings, PerSide<protocol::Player *> players, Thrower &thrower);

// A game lost before its first shot, when engine could not be made ready.
GameRecord ForfeitedGame(const GameSettings &settings, Side engine, std::string reason);

}  // namespace match::game
