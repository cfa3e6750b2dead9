#pragma once

#include <cstdint>

// The game's points as the match manager last sent them with SCORE: those of
// the side to move and of the other side. 0 and 0 at start-up; NEWGAME leaves
// them, so a new game plays with the last score sent until its first SCORE.
// The command loop is its only writer; pebble never reads it.
struct GameScore {
    int32_t own;
    int32_t other;
};

extern GameScore gameScore;
