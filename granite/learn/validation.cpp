#include "learn/validation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <functional>

#include "end_score.h"
#include "search/rollout.h"
#include "search/split_mix.h"

namespace granite::learn {

namespace {

using value::ValueNetwork;

constexpr std::size_t SCORES = ValueNetwork::END_SCORES;
// A probability that underflowed to 0 counts as this, so that one position
// cannot make the mean loss infinite.
constexpr double PROBABILITY_FLOOR = 1e-12;
// The network is timed over whole passes until this much CPU time has gone.
constexpr double MIN_TIMING_SECONDS = 0.25;
constexpr double Z_95 = 1.959964;

double CpuSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

std::size_t ScoreIndex(int score)
{
    return static_cast<std::size_t>(score + value::MAX_END_SCORE);
}

// The mean loss given each position's probability of its actual end score.
LogLoss LossOf(const std::vector<EndPosition> &positions, const std::function<double(std::size_t)> &probability)
{
    LogLoss loss;
    std::array<int, SHOTS> counts{};
    double total = 0.0;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const double term = -std::log(std::max(probability(i), PROBABILITY_FLOOR));
        const auto shot = static_cast<std::size_t>(positions[i].state.shotIndex);
        total += term;
        loss.byShot[shot] += term;
        ++counts[shot];
    }
    loss.overall = positions.empty() ? 0.0 : total / static_cast<double>(positions.size());
    for (std::size_t shot = 0; shot < loss.byShot.size(); ++shot)
        loss.byShot[shot] = counts[shot] > 0 ? loss.byShot[shot] / counts[shot] : 0.0;
    return loss;
}

// The network's distributions, SCORES per position, and the CPU time per position.
std::vector<float> Evaluate(const std::vector<EndPosition> &positions, const ValueNetwork &network, double &seconds)
{
    std::vector<float> features(positions.size() * value::FEATURE_COUNT);
    for (std::size_t i = 0; i < positions.size(); ++i)
        EncodeEndPosition(positions[i], std::span<float, value::FEATURE_COUNT>(
                                            features.data() + i * value::FEATURE_COUNT, value::FEATURE_COUNT));
    std::vector<float> probabilities(positions.size() * SCORES);
    const double start = CpuSeconds();
    std::size_t evaluated = 0;
    do {
        for (std::size_t first = 0; first < positions.size(); first += EVALUATION_BATCH) {
            const std::size_t batch = std::min<std::size_t>(EVALUATION_BATCH, positions.size() - first);
            network.Evaluate(std::span<const float>(features).subspan(first * value::FEATURE_COUNT),
                             static_cast<int>(batch), std::span<float>(probabilities).subspan(first * SCORES));
        }
        evaluated += positions.size();
    } while (!positions.empty() && CpuSeconds() - start < MIN_TIMING_SECONDS);
    seconds = evaluated > 0 ? (CpuSeconds() - start) / static_cast<double>(evaluated) : 0.0;
    return probabilities;
}

double WinChance(const float *distribution, const EndPosition &position, const value::WinTable &table)
{
    double chance = 0.0;
    for (int score = -value::MAX_END_SCORE; score <= value::MAX_END_SCORE; ++score)
        chance += static_cast<double>(distribution[ScoreIndex(score)]) * table.AfterEnd(position.situation, score);
    return chance;
}

std::array<CalibrationBin, CALIBRATION_BINS> Calibrate(const std::vector<EndPosition> &positions,
                                                       const std::vector<float> &probabilities,
                                                       const value::WinTable &table)
{
    std::array<CalibrationBin, CALIBRATION_BINS> bins{};
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const double chance = WinChance(&probabilities[i * SCORES], positions[i], table);
        const int index = std::clamp(static_cast<int>(chance * CALIBRATION_BINS), 0, CALIBRATION_BINS - 1);
        CalibrationBin &bin = bins[static_cast<std::size_t>(index)];
        ++bin.count;
        bin.predicted += chance;
        bin.observed += positions[i].result;
    }
    for (CalibrationBin &bin : bins) {
        if (bin.count == 0)
            continue;
        bin.predicted /= bin.count;
        bin.observed /= bin.count;
        bin.halfWidth = Z_95 * std::sqrt(bin.observed * (1.0 - bin.observed) / bin.count);
    }
    return bins;
}

// The end score for the hammer side of play-out `playout` from position `index`.
int PlayOutScore(const EndPosition &position, const search::RolloutPolicy &policy, std::size_t index, int playout)
{
    search::SplitMix streams{static_cast<std::uint64_t>(index) << 32 | static_cast<std::uint32_t>(playout)};
    TessivalGenerator generator{};
    for (std::uint64_t &word : generator.words)
        word = streams.Next();
    search::SplitMix choices{streams.Next()};
    GameState state = position.state;
    search::PlayOut(state, policy, generator, choices);
    return std::clamp(rules::EndScore(state, value::HAMMER_SIDE), -value::MAX_END_SCORE, value::MAX_END_SCORE);
}

// count play-outs per position, their end scores side by side, and the CPU time per play-out.
std::vector<std::int8_t> PlayOutScores(const std::vector<EndPosition> &positions, const value::WinTable &table,
                                       int count, double &seconds)
{
    std::vector<std::int8_t> scores(positions.size() * static_cast<std::size_t>(count));
    const double start = CpuSeconds();
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const search::RolloutPolicy policy = search::PolicyFor(table, positions[i].situation, value::HAMMER_SIDE);
        for (int j = 0; j < count; ++j)
            scores[i * static_cast<std::size_t>(count) + static_cast<std::size_t>(j)] =
                static_cast<std::int8_t>(PlayOutScore(positions[i], policy, i, j));
    }
    seconds = scores.empty() ? 0.0 : (CpuSeconds() - start) / static_cast<double>(scores.size());
    return scores;
}

// The first k of each position's play-outs, smoothed with the alpha of the least loss.
PlayoutBaseline Baseline(const std::vector<EndPosition> &positions, const std::vector<std::int8_t> &scores, int stride,
                         int k)
{
    PlayoutBaseline best;
    best.playouts = k;
    best.logLoss.overall = INFINITY;
    for (const double alpha : SMOOTHING) {
        const LogLoss loss = LossOf(positions, [&](std::size_t i) {
            const auto first = scores.begin() + static_cast<std::ptrdiff_t>(i) * stride;
            const auto hits = std::count(first, first + k, static_cast<std::int8_t>(positions[i].endScore));
            return (static_cast<double>(hits) + alpha) / (k + alpha * static_cast<double>(SCORES));
        });
        if (loss.overall < best.logLoss.overall) {
            best.alpha = alpha;
            best.logLoss = loss;
        }
    }
    return best;
}

}  // namespace

std::vector<EndPosition> Subsample(const std::vector<EndPosition> &positions, int every)
{
    std::vector<EndPosition> kept;
    for (std::size_t i = 0; i < positions.size(); ++i)
        if (search::SplitMix{i}.Next() % static_cast<std::uint64_t>(every) == 0)
            kept.push_back(positions[i]);
    return kept;
}

Validation Validate(const std::vector<EndPosition> &positions, const ValueNetwork &network,
                    std::span<const int> playouts)
{
    Validation validation;
    validation.positions = positions.size();
    for (const EndPosition &position : positions)
        ++validation.positionsByShot[static_cast<std::size_t>(position.state.shotIndex)];

    const std::vector<float> probabilities = Evaluate(positions, network, validation.evaluationSeconds);
    validation.network = LossOf(positions, [&](std::size_t i) {
        return static_cast<double>(probabilities[i * SCORES + ScoreIndex(positions[i].endScore)]);
    });
    validation.calibration = Calibrate(positions, probabilities, value::WinTable(network));

    const int most = playouts.empty() ? 0 : *std::max_element(playouts.begin(), playouts.end());
    const std::vector<std::int8_t> scores =
        PlayOutScores(positions, value::WinTable(value::MEASURED_END_SCORES), most, validation.playoutSeconds);
    for (const int k : playouts)
        validation.baselines.push_back(Baseline(positions, scores, most, k));
    return validation;
}

}  // namespace granite::learn
