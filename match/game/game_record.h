#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/game_times.h"
#include "game/side.h"
#include "game/start_position.h"
#include "tessival.h"

namespace match::game {

using PathPoint = std::array<float, 2>;

// How one stone moved in a throw, as the physics library traced it.
struct StonePath {
    int stone = 0;
    float startTime = 0.0f;  // s after the release when it was first set moving
    float endTime = 0.0f;    // when it last came to rest or left the sheet
    bool leftSheet = false;
    std::vector<PathPoint> points;  // evenly spaced in time from startTime to endTime
};

// What a throw traced. Kept in memory for the pictures and the page; the
// record file holds none of it.
struct ShotTrace {
    std::vector<StonePath> paths;           // every stone set moving, in stone order
    std::vector<TessivalContact> contacts;  // every contact, in time order

    // The path of stone, or null when it did not move.
    const StonePath *PathOf(int stone) const
    {
        for (const StonePath &path : paths)
            if (path.stone == stone)
                return &path;
        return nullptr;
    }
};

// One throw: what the engine was sent, what it answered and where the stones
// came to rest.
struct ShotRecord {
    int shotIndex = 0;
    Side engine = Side::A;
    GameState sent{};     // position and state as sent with POSITION and SETSTATE
    std::string reply;    // the reply bytes
    bool played = false;  // false when the reply forfeited the game
    ShotVector shot{};
    uint32_t seed = 0;                          // the seed passed to the physics library
    GameState resting{};                        // the position after the throw
    ShotTrace trace;                            // when thrown or replayed in this run
    std::optional<double> thinkMs;              // as the runner measured it; older records lack it
    std::optional<PerSide<long long>> clockMs;  // both clocks after the shot, with a clock
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
    bool onTime = false;  // its clock ran out

    // What the engine does to the game: "forfeits" it, or "loses" it on time.
    const char *Verb() const { return onTime ? "loses" : "forfeits"; }
};

struct GameRecord {
    int number = 1;
    int pair = 1;                // both games of a pair share their throw seeds
    PerSide<int> players{0, 1};  // the match's engines playing as A and B
    Side firstHammer = Side::B;  // in the first end played
    int regularEnds = 8;
    std::optional<GameStart> start;  // none for a game from the empty sheet of end 1
    std::vector<EndRecord> ends;
    std::optional<Forfeit> forfeit;
    std::optional<Side> winner;  // none for a draw
    PerSide<int> totals{0, 0};
    GameTimes times;  // from the shots, kept when they are dropped
};

struct MatchRecord {
    std::vector<std::string> engines;  // commands
    std::vector<std::string> names;
    uint64_t seed = 0;
    float error = 0.0f;
    int ends = 8;
    double timeoutSeconds = 60.0;
    std::vector<GameRecord> games;
};

}  // namespace match::game
