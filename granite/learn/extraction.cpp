#include "learn/extraction.h"

#include <array>

#include "in_play.h"
#include "learn/npy_file.h"

namespace granite::learn {

namespace {

// Exact in single precision: 2 x 2.375.
constexpr float MIRROR_SUM = static_cast<float>(2.0 * TESSIVAL_TEE_X);

void AppendRow(const EndPosition &position, const value::WinTable &table, TrainingSet &set)
{
    std::array<float, value::FEATURE_COUNT> features{};
    EncodeEndPosition(position, features);
    set.features.insert(set.features.end(), features.begin(), features.end());

    set.labels.push_back(static_cast<float>(position.endScore));
    set.labels.push_back(static_cast<float>(position.result));
    for (int score = -value::MAX_END_SCORE; score <= value::MAX_END_SCORE; ++score)
        set.labels.push_back(static_cast<float>(table.AfterEnd(position.situation, score)));

    for (const auto &stone : position.state.stones) {
        set.positions.push_back(stone[0]);
        set.positions.push_back(stone[1]);
    }
    set.positions.push_back(static_cast<float>(position.state.shotIndex));
    set.positions.push_back(static_cast<float>(position.situation.currentEnd));
    set.positions.push_back(static_cast<float>(position.situation.lastEnd));
    set.positions.push_back(static_cast<float>(position.situation.lead));
    ++set.rows;
}

}  // namespace

EndPosition Mirrored(const EndPosition &position)
{
    EndPosition mirrored = position;
    for (int stone = 0; stone < TESSIVAL_STONE_COUNT; ++stone)
        if (rules::InPlay(position.state, stone))
            mirrored.state.stones[stone][0] = MIRROR_SUM - position.state.stones[stone][0];
    return mirrored;
}

void AppendRows(const EndPosition &position, const value::WinTable &table, bool mirror, TrainingSet &set)
{
    AppendRow(position, table, set);
    if (mirror)
        AppendRow(Mirrored(position), table, set);
}

std::string WriteTrainingSet(const TrainingSet &set, const std::string &prefix)
{
    struct Matrix {
        const char *suffix;
        const std::vector<float> &values;
        std::size_t columns;
    };
    const std::array<Matrix, 3> matrices = {{
        {"-features.npy", set.features, value::FEATURE_COUNT},
        {"-labels.npy", set.labels, LABEL_COUNT},
        {"-positions.npy", set.positions, POSITION_COLUMNS},
    }};
    for (const Matrix &matrix : matrices)
        if (!WriteNpy(prefix + matrix.suffix, matrix.values, matrix.columns))
            return prefix + matrix.suffix;
    return {};
}

}  // namespace granite::learn
