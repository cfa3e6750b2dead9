#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "learn/end_positions.h"
#include "value/value_network.h"
#include "value/win_table.h"

namespace granite::learn {

inline constexpr int SHOTS = TESSIVAL_STONE_COUNT;
inline constexpr int CALIBRATION_BINS = 10;
// Positions per network call, as the search batches them.
inline constexpr int EVALUATION_BATCH = 32;
// The additive smoothing tried on the play-outs' counts; the best is kept.
inline constexpr std::array<double, 5> SMOOTHING = {0.01, 0.03, 0.1, 0.3, 1.0};

// The mean natural-log loss of the actual end scores, over all positions and
// by the shot index of the position (0 where a shot index has none).
struct LogLoss {
    double overall = 0.0;
    std::array<double, SHOTS> byShot{};
};

// Positions whose predicted chance of winning for the hammer side fell in one tenth of [0, 1].
struct CalibrationBin {
    int count = 0;
    double predicted = 0.0;  // mean predicted chance
    double observed = 0.0;   // mean result for the hammer side (1, 0.5, 0)
    double halfWidth = 0.0;  // of observed's 95% interval, binomial normal approximation
};

// K play-outs per position, their end scores counted with additive smoothing alpha.
struct PlayoutBaseline {
    int playouts = 0;
    double alpha = 0.0;
    LogLoss logLoss;
};

struct Validation {
    std::size_t positions = 0;
    std::array<int, SHOTS> positionsByShot{};
    LogLoss network;
    std::array<CalibrationBin, CALIBRATION_BINS> calibration{};
    std::vector<PlayoutBaseline> baselines;  // one per K asked, in the order asked
    double evaluationSeconds = 0.0;          // CPU time per position evaluated, batched
    double playoutSeconds = 0.0;             // CPU time per play-out
};

// About one position in every, chosen by a hash of its index: a stride would
// keep the same few shot indices of every end.
std::vector<EndPosition> Subsample(const std::vector<EndPosition> &positions, int every);

// The network against the play-outs on positions, single-threaded and
// deterministic: play-out j of position i draws from streams seeded by (i, j),
// and the first K play-outs of a position serve every K asked. The network's
// chance of winning comes through its own win table, the play-outs value end
// scores by the measured one, each as granite judges with it.
Validation Validate(const std::vector<EndPosition> &positions, const value::ValueNetwork &network,
                    std::span<const int> playouts);

}  // namespace granite::learn
