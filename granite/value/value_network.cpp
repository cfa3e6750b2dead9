#include "value/value_network.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

#include "network_weights.h"

namespace granite::value {

namespace {

constexpr std::string_view MAGIC = "GVN1";

// Reads the file front to back; every read fails once the bytes run out.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    bool Magic()
    {
        if (bytes_.substr(0, MAGIC.size()) != MAGIC)
            return false;
        bytes_.remove_prefix(MAGIC.size());
        return true;
    }

    std::optional<std::uint32_t> Count()
    {
        if (bytes_.size() < 4)
            return std::nullopt;
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | static_cast<unsigned char>(bytes_[static_cast<std::size_t>(i)]);
        bytes_.remove_prefix(4);
        return value;
    }

    bool Floats(std::vector<float> &out, std::size_t count)
    {
        if (bytes_.size() / 4 < count)
            return false;
        out.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            std::optional<std::uint32_t> bits = Count();
            std::memcpy(&out[i], &*bits, sizeof(float));
        }
        return true;
    }

    bool AtEnd() const { return bytes_.empty(); }

private:
    std::string_view bytes_;
};

bool AllFinite(const std::vector<float> &values)
{
    return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

}  // namespace

std::optional<ValueNetwork> ValueNetwork::Parse(std::string_view bytes, std::string &error)
{
    Reader reader(bytes);
    if (!reader.Magic()) {
        error = "not a weights file (it does not start with \"GVN1\")";
        return std::nullopt;
    }
    const std::optional<std::uint32_t> layers = reader.Count();
    if (!layers || *layers < 1 || *layers > MAX_LAYERS) {
        error = "the layer count is missing or not in 1.." + std::to_string(MAX_LAYERS);
        return std::nullopt;
    }
    ValueNetwork network;
    std::uint32_t expected = FEATURE_COUNT;
    for (std::uint32_t index = 0; index < *layers; ++index) {
        const std::optional<std::uint32_t> inputs = reader.Count();
        const std::optional<std::uint32_t> outputs = reader.Count();
        const std::string name = "layer " + std::to_string(index + 1);
        if (!inputs || !outputs) {
            error = name + " is cut short";
            return std::nullopt;
        }
        if (*inputs != expected || *outputs < 1 || *outputs > MAX_WIDTH) {
            error = name + " is " + std::to_string(*inputs) + " by " + std::to_string(*outputs) + " where " +
                    std::to_string(expected) + " inputs and 1.." + std::to_string(MAX_WIDTH) + " outputs fit";
            return std::nullopt;
        }
        Layer layer;
        layer.inputs = static_cast<int>(*inputs);
        layer.outputs = static_cast<int>(*outputs);
        std::vector<float> rows;  // [outputs][inputs], as written
        if (!reader.Floats(rows, std::size_t{*inputs} * *outputs) || !reader.Floats(layer.bias, *outputs)) {
            error = name + " is cut short";
            return std::nullopt;
        }
        if (!AllFinite(rows) || !AllFinite(layer.bias)) {
            error = name + " holds a weight that is not a finite number";
            return std::nullopt;
        }
        layer.weights.resize(rows.size());
        for (int out = 0; out < layer.outputs; ++out)
            for (int in = 0; in < layer.inputs; ++in)
                layer.weights[static_cast<std::size_t>(in * layer.outputs + out)] =
                    rows[static_cast<std::size_t>(out * layer.inputs + in)];
        network.layers_.push_back(std::move(layer));
        expected = *outputs;
    }
    if (expected != END_SCORES) {
        error = "the last layer gives " + std::to_string(expected) + " outputs, not " + std::to_string(END_SCORES);
        return std::nullopt;
    }
    if (!reader.AtEnd()) {
        error = "bytes follow the last layer";
        return std::nullopt;
    }
    return network;
}

std::optional<ValueNetwork> ValueNetwork::Load(const std::string &path, std::string &error)
{
    std::ifstream file(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (!file.good() && !file.eof()) {
        error = "cannot be read";
        return std::nullopt;
    }
    return Parse(bytes, error);
}

const ValueNetwork &ValueNetwork::Shipped()
{
    static const ValueNetwork shipped = [] {
        std::string error;
        std::optional<ValueNetwork> network = Parse(SHIPPED_WEIGHTS, error);
        // The build embeds a file the tests load; a fault here is a broken build.
        if (!network)
            std::abort();
        return std::move(*network);
    }();
    return shipped;
}

void ValueNetwork::Evaluate(std::span<const float> features, int batch, std::span<float> probabilities) const
{
    std::vector<float> input(features.begin(), features.begin() + static_cast<std::ptrdiff_t>(batch) * FEATURE_COUNT);
    std::vector<float> output;
    for (std::size_t index = 0; index < layers_.size(); ++index) {
        const Layer &layer = layers_[index];
        const bool hidden = index + 1 < layers_.size();
        output.assign(static_cast<std::size_t>(batch * layer.outputs), 0.0f);
        for (int row = 0; row < batch; ++row) {
            const float *in = input.data() + row * layer.inputs;
            float *out = output.data() + row * layer.outputs;
            std::copy(layer.bias.begin(), layer.bias.end(), out);
            // One input at a time across all outputs: the inner loop is contiguous
            // and vectorises, and the many zero inputs cost nothing.
            for (int i = 0; i < layer.inputs; ++i) {
                const float x = in[i];
                if (x == 0.0f)
                    continue;
                const float *w = layer.weights.data() + i * layer.outputs;
                for (int o = 0; o < layer.outputs; ++o)
                    out[o] += w[o] * x;
            }
            if (hidden)
                for (int o = 0; o < layer.outputs; ++o)
                    out[o] = std::max(out[o], 0.0f);
        }
        input.swap(output);
    }
    for (int row = 0; row < batch; ++row) {
        const float *logits = input.data() + row * END_SCORES;
        float *p = probabilities.data() + row * END_SCORES;
        const float top = *std::max_element(logits, logits + END_SCORES);
        float total = 0.0f;
        for (int k = 0; k < END_SCORES; ++k) {
            p[k] = std::exp(logits[k] - top);
            total += p[k];
        }
        for (int k = 0; k < END_SCORES; ++k)
            p[k] /= total;
    }
}

}  // namespace granite::value
