#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "value/end_score_distribution.h"
#include "value/position_features.h"

namespace granite::value {

// A small fully connected network: FEATURE_COUNT inputs, hidden layers with
// ReLU, and END_SCORES outputs turned into the distribution of the end's score
// for the hammer side by a softmax (entry k + MAX_END_SCORE for a score of k).
//
// Its weights file, little-endian throughout:
//   "GVN1", uint32 layer count L (1..8), then per layer uint32 inputs, uint32
//   outputs, float32 weights[outputs][inputs], float32 bias[outputs];
// the first layer takes FEATURE_COUNT inputs, each takes the last one's
// outputs, the last gives END_SCORES, no layer is wider than MAX_WIDTH, and
// nothing follows.
class ValueNetwork {
public:
    static constexpr int END_SCORES = 2 * MAX_END_SCORE + 1;
    static constexpr int MAX_LAYERS = 8;
    static constexpr int MAX_WIDTH = 1024;

    // The network of a weights file's bytes, or nothing with the fault in error.
    static std::optional<ValueNetwork> Parse(std::string_view bytes, std::string &error);
    // The network of the weights file at path, or nothing with the fault in error.
    static std::optional<ValueNetwork> Load(const std::string &path, std::string &error);
    // The network compiled into granite (granite/value/weights/).
    static const ValueNetwork &Shipped();

    // The end score distributions of batch positions: features holds their
    // inputs one row after the other, probabilities receives END_SCORES per row.
    // Each row's result does not depend on the others or on batch.
    void Evaluate(std::span<const float> features, int batch, std::span<float> probabilities) const;

private:
    struct Layer {
        int inputs = 0;
        int outputs = 0;
        std::vector<float> weights;  // [inputs][outputs]: one input's weights side by side
        std::vector<float> bias;
    };
    std::vector<Layer> layers_;
};

}  // namespace granite::value
