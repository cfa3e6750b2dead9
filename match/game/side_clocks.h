#pragma once

#include "game/side.h"

namespace match::game {

// A side's thinking time for a game: seconds for the regular ends, and the
// increment added after each of its shots.
struct TimeControl {
    double seconds = 0.0;
    double increment = 0.0;

    bool operator==(const TimeControl &) const = default;
};

// Both sides' clocks over one game, in milliseconds. Each extra end adds the
// regular ends' average, seconds / regular ends, to both clocks at its start.
class GameClock {
public:
    GameClock(PerSide<TimeControl> controls, int regularEnds);

    // Called at the start of every end, regular or extra (index from 0).
    void StartEnd(int index);
    // Whole milliseconds left, rounded down, never negative: what TIME says
    // and the longest a reply may take.
    long long LeftMs(Side side) const;
    // A shot took side thinkMs, no more than LeftMs: charged, then the
    // increment added.
    void Spend(Side side, double thinkMs);
    // side's clock ran out during a shot.
    void RunOut(Side side);

private:
    PerSide<TimeControl> controls_;
    int regularEnds_;
    PerSide<double> leftMs_;
};

}  // namespace match::game
