#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "game/game_record.h"
#include "protocol/player.h"

struct GameSettings {
    int number = 1;          // counts from 1
    int ends = 8;
    Side firstHammer = Side::B;
    uint64_t seed = 0;
    float error = 0.0f;
    int pair = 1;            // counts from 1; part of every throw's seed
    PerSide<int> players{0, 1};
};

// Plays one throw from state and leaves the resting position in it; path
// receives the thrown stone's path. False when the library refused the shot.
using ThrowFunction = std::function<bool(GameState &state, const ShotVector &shot, float error, uint32_t seed,
                                         std::vector<PathPoint> &path)>;

// The sideFlag sent with SETSTATE: 1 when the side to move holds the hammer.
int SideFlag(int shotIndex);

// Plays a game between the two players, from NEWGAME on. A player whose
// answer is no shot forfeits and the game ends there.
GameRecord PlayGame(const GameSettings &settings, PerSide<Player *> players, const ThrowFunction &throwShot);

// A game lost before its first shot, when engine could not be made ready.
GameRecord ForfeitedGame(const GameSettings &settings, Side engine, std::string reason);

// The tessival throw with its path.
bool TraceThrow(GameState &state, const ShotVector &shot, float error, uint32_t seed, std::vector<PathPoint> &path);
