#pragma once

#include <cstdint>

// The game clocks as the match manager sent them with TIME just before a GO:
// whole milliseconds left to the side to move (the clock GO starts) and to the
// other side. A manager with a clock sends TIME before every GO, so the record
// serves one GO only: that GO and NEWGAME forget it (all zeros, as at
// start-up), and a GO with no TIME since then is played as without a clock.
// The command loop is its only writer; pebble never reads it.
struct GameClock {
    int32_t ownMs;
    int32_t otherMs;
    int32_t isSet;  // 1 when a whole TIME line came since the last GO or NEWGAME, else 0
};

extern GameClock gameClock;
