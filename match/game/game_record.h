#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/side.h"
#include "tessival.h"

namespace match::game {

using PathPoint = std::array<float, 2>;

// One throw: what the engine was sent, what it answered and where the stones
// came to rest.
struct ShotRecord {
    int shotIndex = 0;
    Side engine = Side::A;
    GameState sent{};       // position and state as sent with POSITION and SETSTATE
    std::string reply;      // the reply bytes
    bool played = false;    // false when the reply forfeited the game
    ShotVector shot{};
    uint32_t seed = 0;      // the seed passed to the physics library
    GameState resting{};    // the position after the throw
    std::vector<PathPoint> path; // the thrown stone's path, when traced
};

struct EndRecord {
    int index = 0;
    Side hammer = Side::B;
    bool complete = false;  // false for an end cut short by a forfeit
    PerSide<int> points{0, 0};
    std::vector<ShotRecord> shots;
};

struct Forfeit {
    Side engine;
    std::string reason;
};

struct GameRecord {
    int number = 1;
    int pair = 1;                // both games of a pair share their throw seeds
    PerSide<int> players{0, 1};  // the match's engines playing as A and B
    Side firstHammer = Side::B;
    int regularEnds = 8;
    std::vector<EndRecord> ends;
    std::optional<Forfeit> forfeit;
    std::optional<Side> winner;  // none for a draw
    PerSide<int> totals{0, 0};
};

struct MatchRecord {
    std::vector<std::string> engines; // commands
    std::vector<std::string> names;
    uint64_t seed = 0;
    float error = 0.0f;
    int ends = 8;
    double timeoutSeconds = 60.0;
    std::vector<GameRecord> games;
};

} // namespace match::game
