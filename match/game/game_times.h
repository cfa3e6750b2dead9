#pragma once

#include <optional>

#include "game/side.h"

namespace match::game {

struct GameRecord;

// One side's think times over a game, in milliseconds, of the shots that
// have one.
struct ThinkTimes {
    int shots = 0;
    double totalMs = 0.0;
    double longestMs = 0.0;
};

// What a game's shots say of time, for the summary, which keeps no shots.
struct GameTimes {
    PerSide<ThinkTimes> think{};
    std::optional<PerSide<long long>> clockLeftMs;  // both clocks after the last shot on a clock
};

GameTimes TimesOf(const GameRecord &game);

}  // namespace match::game
