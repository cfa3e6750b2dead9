#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "learn/end_positions.h"
#include "value/win_table.h"

namespace granite::learn {

// The training data's columns, one row per position (net_common's layout):
//   labels:    the end score for the hammer side, the game's result for it,
//              then AfterEnd(k) of the hammer side for k = -8..8;
//   positions: the 32 stone coordinates (x, y of stone 0 first), shotIndex,
//              currentEnd, lastEnd and the hammer side's lead.
inline constexpr std::size_t LABEL_COUNT = 2 + 2 * value::MAX_END_SCORE + 1;   // 19
inline constexpr std::size_t POSITION_COLUMNS = 2 * TESSIVAL_STONE_COUNT + 4;  // 36

struct TrainingSet {
    std::vector<float> features;   // value::FEATURE_COUNT per row
    std::vector<float> labels;     // LABEL_COUNT per row
    std::vector<float> positions;  // POSITION_COLUMNS per row
    std::size_t rows = 0;
};

// position mirrored in x about the centre line; stones out of play stay at (0, 0).
EndPosition Mirrored(const EndPosition &position);

// Appends position's row and, with mirror, its mirror image right after it.
void AppendRows(const EndPosition &position, const value::WinTable &table, bool mirror, TrainingSet &set);

// Writes PREFIX-features.npy, PREFIX-labels.npy and PREFIX-positions.npy; on
// failure returns the path that could not be written, else an empty string.
std::string WriteTrainingSet(const TrainingSet &set, const std::string &prefix);

}  // namespace granite::learn
