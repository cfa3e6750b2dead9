#pragma once

#include <span>

#include "tessival.h"
#include "value/game_situation.h"

namespace granite::value {

// What the value network knows of an end besides the stones, seen from the
// side with the hammer (the side that throws the odd stones).
struct EndContext {
    int endsLeft = 0;       // regular ends after this one: 0 in the last end and in extra ends
    bool extraEnd = false;  // an end played after the regular ends, the game tied
    int hammerLead = 0;     // the hammer side's points minus the other side's, so far
};

// The context of the end situation is in, whichever side situation is for.
EndContext HammerContext(const GameSituation &situation);

// The network's input for the position before the throw of state.shotIndex
// (0..15; once the last stone rests the end's score is known):
//   [0, 16)   the shot index, one-hot;
//   16        hammerLead / LEAD_SCALE, the lead clamped to +-MAX_INPUT_LEAD;
//   17        endsLeft / ENDS_SCALE, endsLeft clamped to 0..MAX_INPUT_ENDS;
//   18        1 in an extra end;
//   [19, 28)  the end's score for the hammer side if it ended now, one-hot,
//             clamped to -MAX_INPUT_SCORE..MAX_INPUT_SCORE;
//   28, 29    the hammer side's and the other side's stones in the house / SLOTS;
//   30, 31    their guards (stones between the house and the hog line) / SLOTS;
//   then two groups of SLOTS slots, the hammer side's stones first: each
//   side's stones in play (rules::InPlay, thrown before shotIndex), nearest
//   the tee first, as (1, dx, dy, distance) over the house radius, dx and dy
//   from the tee; empty slots are 0.
// Mirroring the sheet in x negates every dx and changes nothing else.
inline constexpr int SHOT_INPUTS = 16;
inline constexpr int SLOTS = 8;
inline constexpr int SLOT_INPUTS = 4;
inline constexpr int MAX_INPUT_SCORE = 4;
inline constexpr int SCORE_FROM = SHOT_INPUTS + 3;
inline constexpr int COUNTS_FROM = SCORE_FROM + 2 * MAX_INPUT_SCORE + 1;
inline constexpr int STONES_FROM = COUNTS_FROM + 4;
inline constexpr int FEATURE_COUNT = STONES_FROM + 2 * SLOTS * SLOT_INPUTS;  // 96
inline constexpr float LEAD_SCALE = 4.0f;
inline constexpr int MAX_INPUT_LEAD = 8;
inline constexpr float ENDS_SCALE = 8.0f;
inline constexpr int MAX_INPUT_ENDS = 8;

// Writes the FEATURE_COUNT inputs for state (stones read as rules::InPlay,
// coordinates finite, none at or after shotIndex in play) into features.
void EncodePosition(const GameState &state, const EndContext &context, std::span<float, FEATURE_COUNT> features);

}  // namespace granite::value
