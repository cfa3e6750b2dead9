// The value network's weights file, refused when it is not whole and sound,
// and its evaluation: distributions, the same whatever the batch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "value/value_network.h"

namespace granite::value {
namespace {

constexpr int SCORES = ValueNetwork::END_SCORES;

void PutCount(std::string &bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

void PutFloat(std::string &bytes, float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    PutCount(bytes, bits);
}

// A weights file of layers with the given widths (inputs first), its weights a
// fixed pattern of both signs.
std::string WeightsFile(const std::vector<std::uint32_t> &widths)
{
    std::string bytes = "GVN1";
    PutCount(bytes, static_cast<std::uint32_t>(widths.size() - 1));
    int seed = 0;
    for (std::size_t layer = 0; layer + 1 < widths.size(); ++layer) {
        PutCount(bytes, widths[layer]);
        PutCount(bytes, widths[layer + 1]);
        for (std::uint32_t i = 0; i < widths[layer] * widths[layer + 1] + widths[layer + 1]; ++i)
            PutFloat(bytes, 0.05f * static_cast<float>((seed++ * 37) % 23 - 11));
    }
    return bytes;
}

const std::vector<std::uint32_t> SHAPE = {FEATURE_COUNT, 24, 16, SCORES};

std::string Refusal(const std::string &bytes)
{
    std::string error;
    EXPECT_FALSE(ValueNetwork::Parse(bytes, error).has_value());
    EXPECT_FALSE(error.empty());
    return error;
}

TEST(ValueNetwork, RefusesFilesThatAreNotWholeAndSound)
{
    const std::string good = WeightsFile(SHAPE);
    std::string error;
    ASSERT_TRUE(ValueNetwork::Parse(good, error).has_value()) << error;

    EXPECT_NE(Refusal(good.substr(0, good.size() - 3)).find("cut short"), std::string::npos);
    EXPECT_NE(Refusal(good.substr(0, 10)).find("cut short"), std::string::npos);
    EXPECT_NE(Refusal("GVN2" + good.substr(4)).find("not a weights file"), std::string::npos);
    EXPECT_NE(Refusal(WeightsFile({FEATURE_COUNT - 1, 24, SCORES})).find("layer 1"), std::string::npos);
    EXPECT_NE(Refusal(WeightsFile({FEATURE_COUNT, 24, 2000, SCORES})).find("layer 2"), std::string::npos);
    EXPECT_NE(Refusal(WeightsFile({FEATURE_COUNT, 24, SCORES - 1})).find("last layer"), std::string::npos);
    EXPECT_NE(Refusal(good + std::string(1, '\0')).find("follow"), std::string::npos);

    std::string nan = good;
    const float notANumber = NAN;
    std::memcpy(nan.data() + 4 + 4 + 8 + 4 * 100, &notANumber, sizeof notANumber);
    EXPECT_NE(Refusal(nan).find("not a finite number"), std::string::npos);
}

TEST(ValueNetwork, EvaluatesDistributionsThatDoNotDependOnTheBatch)
{
    std::string error;
    const std::optional<ValueNetwork> network = ValueNetwork::Parse(WeightsFile(SHAPE), error);
    ASSERT_TRUE(network.has_value()) << error;
    constexpr int BATCH = 5;
    std::vector<float> features(BATCH * FEATURE_COUNT, 0.0f);
    for (std::size_t i = 0; i < features.size(); ++i)
        features[i] = i % 7 == 0 ? 0.0f : 0.1f * static_cast<float>(static_cast<int>(i % 13) - 6);

    std::vector<float> together(BATCH * SCORES);
    network->Evaluate(features, BATCH, together);
    for (int row = 0; row < BATCH; ++row) {
        const auto first = together.begin() + row * SCORES;
        EXPECT_NEAR(std::accumulate(first, first + SCORES, 0.0), 1.0, 1e-5) << row;
        EXPECT_TRUE(std::all_of(first, first + SCORES, [](float p) { return p >= 0.0f && p <= 1.0f; }));

        std::vector<float> alone(SCORES);
        network->Evaluate(std::span<const float>(features).subspan(static_cast<std::size_t>(row * FEATURE_COUNT)), 1,
                          alone);
        for (int k = 0; k < SCORES; ++k)
            EXPECT_EQ(alone[static_cast<std::size_t>(k)], *(first + k)) << row << " " << k;
    }
    // Different positions, different distributions: the rows were not all alike.
    EXPECT_NE(std::vector<float>(together.begin(), together.begin() + SCORES),
              std::vector<float>(together.begin() + SCORES, together.begin() + 2 * SCORES));

    const ValueNetwork &shipped = ValueNetwork::Shipped();
    std::vector<float> probabilities(SCORES);
    shipped.Evaluate(std::span<const float>(features).first(FEATURE_COUNT), 1, probabilities);
    EXPECT_NEAR(std::accumulate(probabilities.begin(), probabilities.end(), 0.0), 1.0, 1e-5);
}

}  // namespace
}  // namespace granite::value
