#pragma once

#include <span>
#include <vector>

#include "learn/self_play_record.h"
#include "tessival.h"
#include "value/game_situation.h"
#include "value/position_features.h"

namespace granite::learn {

// A position before a throw of a complete end, seen from the side with the
// hammer, with what became of it: what the network learns from.
struct EndPosition {
    GameState state;                 // stones not yet thrown out of play (search::Sanitized)
    value::GameSituation situation;  // of the hammer side, the score as it stood before the end
    int endScore = 0;                // the end's final score for the hammer side, -8..8
    double result = 0.0;             // the game's result for the hammer side: 1, 0.5 or 0
};

// Appends the positions before every throw of every complete end of game and
// returns how many complete ends gave them.
int AppendEndPositions(const RecordedGame &game, std::vector<EndPosition> &positions);

// The network's inputs for position.
void EncodeEndPosition(const EndPosition &position, std::span<float, value::FEATURE_COUNT> features);

}  // namespace granite::learn
