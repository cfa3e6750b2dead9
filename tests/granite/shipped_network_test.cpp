// The weights compiled into granite against the outputs stored when they were
// trained (value/weights/value_network_check.txt): a change of the file, of
// the inputs or of the evaluation shows here.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "value/position_features.h"
#include "value/value_network.h"

namespace granite::value {
namespace {

constexpr int COORDINATES = 2 * TESSIVAL_STONE_COUNT;
constexpr int SCORES = ValueNetwork::END_SCORES;
// The stored outputs are PyTorch's in float32; the sums run in another order.
constexpr double TOLERANCE = 1e-5;

struct CheckRow {
    GameState state{};
    EndContext context;
    std::array<double, SCORES> expected{};
};

std::vector<CheckRow> ReadCheckFile()
{
    std::ifstream file(CHECK_FILE);
    std::vector<CheckRow> rows;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        CheckRow row;
        std::memset(&row.state, 0, sizeof row.state);
        for (int i = 0; i < COORDINATES; ++i)
            fields >> row.state.stones[i / 2][i % 2];
        double shotIndex = 0.0, currentEnd = 0.0, lastEnd = 0.0, hammerLead = 0.0;
        fields >> shotIndex >> currentEnd >> lastEnd >> hammerLead;
        row.state.shotIndex = static_cast<int>(shotIndex);
        const GameSituation hammerSide{static_cast<int>(currentEnd), static_cast<int>(lastEnd), true,
                                       static_cast<int>(hammerLead)};
        row.context = HammerContext(hammerSide);
        for (double &p : row.expected)
            fields >> p;
        if (fields.fail())
            ADD_FAILURE() << "unreadable line: " << line;
        rows.push_back(row);
    }
    return rows;
}

TEST(ShippedNetwork, GivesTheOutputsStoredWhenItWasTrained)
{
    const std::vector<CheckRow> rows = ReadCheckFile();
    ASSERT_GE(rows.size(), 4u) << CHECK_FILE;
    std::vector<int> shots;
    for (const CheckRow &row : rows) {
        std::array<float, FEATURE_COUNT> features{};
        EncodePosition(row.state, row.context, features);
        std::array<float, SCORES> probabilities{};
        ValueNetwork::Shipped().Evaluate(features, 1, probabilities);
        for (int k = 0; k < SCORES; ++k)
            EXPECT_NEAR(probabilities[static_cast<std::size_t>(k)], row.expected[static_cast<std::size_t>(k)],
                        TOLERANCE)
                << "shot " << row.state.shotIndex << ", end score " << k - MAX_END_SCORE;
        shots.push_back(row.state.shotIndex);
    }
    // Positions early and late in the end, so that stones are part of the check.
    EXPECT_GT(*std::max_element(shots.begin(), shots.end()), 8);
}

}  // namespace
}  // namespace granite::value
