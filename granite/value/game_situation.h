#pragma once

namespace granite::value {

// The side with the hammer throws the odd stones of an end: its stones are
// those whose index has this parity.
inline constexpr int HAMMER_SIDE = 1;

// What granite knows of the game beyond the stones: the end, the hammer and the score.
struct GameSituation {
    int currentEnd = 0;   // from 0
    int lastEnd = 0;      // index of the last regular end; extra ends go beyond it
    bool hammer = false;  // the side to move throws last in this end
    int lead = 0;         // points of the side to move minus the other side's, so far
};

}  // namespace granite::value
