#include "search/network_leaves.h"

#include <cstddef>
#include <vector>

namespace granite::search {

void JudgeByNetwork(const value::ValueNetwork &network, const value::EndContext &context, const RolloutPolicy &policy,
                    std::span<const GameState> states, std::span<double> values)
{
    constexpr std::size_t SCORES = value::ValueNetwork::END_SCORES;
    const std::size_t count = states.size();
    std::vector<float> features(count * value::FEATURE_COUNT);
    std::vector<float> probabilities(count * SCORES);
    for (std::size_t i = 0; i < count; ++i)
        value::EncodePosition(
            states[i], context,
            std::span<float, value::FEATURE_COUNT>(features.data() + i * value::FEATURE_COUNT, value::FEATURE_COUNT));
    network.Evaluate(features, static_cast<int>(count), probabilities);
    // The network scores the end for the hammer side; the root side's score is the same or its negation.
    const bool rootHasHammer = policy.rootSide == value::HAMMER_SIDE;
    for (std::size_t i = 0; i < count; ++i) {
        double value = 0.0;
        for (std::size_t k = 0; k < SCORES; ++k) {
            const std::size_t rootIndex = rootHasHammer ? k : SCORES - 1 - k;
            value += static_cast<double>(probabilities[i * SCORES + k]) * policy.endValue[rootIndex];
        }
        values[i] = value;
    }
}

}  // namespace granite::search
