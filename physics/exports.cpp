// The C entry points: argument checks, then the shared computations, then the writes.
#include <cmath>
#include <cstring>
#include <vector>

#include "free_motion.h"
#include "sheet_constants.h"
#include "tessival.h"
#include "throw_outcome.h"

namespace tessival {
namespace {

bool UsableTarget(const ShotTarget &target) {
    return std::isfinite(target.x) && std::isfinite(target.y) && (target.spin == 0 || target.spin == 1) &&
           static_cast<double>(target.y) < RELEASE_Y;
}

Complex FromRelease(const ShotTarget &target) {
    return Complex(static_cast<double>(target.x), static_cast<double>(target.y)) - Complex(RELEASE_X, RELEASE_Y);
}

int StoreVector(Complex velocity, std::uint8_t spin, ShotVector *shot) {
    ShotVector made;
    std::memset(&made, 0, sizeof made);
    made.vx = static_cast<float>(velocity.real());
    made.vy = static_cast<float>(velocity.imag());
    made.spin = spin;
    if (!std::isfinite(made.vx) || !std::isfinite(made.vy)) return 0;
    std::memcpy(shot, &made, sizeof made);
    return 1;
}

void CommitThrow(GameState *state, const ThrowOutcome &outcome, int delivered, RandomStream &stream) {
    std::memcpy(state->stones, outcome.stones, sizeof state->stones);
    state->shotIndex = delivered + 1;
    stream = outcome.stream;
}

// The delivered stone's place at `count` instants evenly spaced from release to its end.
std::vector<float> SamplePath(const DeliveredPath &path, std::int32_t count) {
    std::vector<float> points(2 * static_cast<std::size_t>(count));
    std::size_t run = 0;
    for (std::int32_t j = 0; j < count; ++j) {
        const double time = j == count - 1 ? path.endTime : path.endTime * j / (count - 1);
        while (run + 1 < path.runs.size() && path.runs[run + 1].startTime <= time) ++run;
        const Complex position = KinematicsAt(path.runs[run], time).position;
        points[2 * static_cast<std::size_t>(j)] = static_cast<float>(position.real());
        points[2 * static_cast<std::size_t>(j) + 1] = static_cast<float>(position.imag());
    }
    return points;
}

}  // namespace
}  // namespace tessival

using namespace tessival;

extern "C" {

TESSIVAL_API int TESSIVAL_CALL CreateShot(ShotTarget target, ShotVector *shot) {
    if (shot == nullptr || !UsableTarget(target)) return 0;
    return StoreVector(LaunchForDisplacement(FromRelease(target), CurlOfSpin(target.spin)), target.spin, shot);
}

TESSIVAL_API int TESSIVAL_CALL CreateHitShot(ShotTarget target, float power, ShotVector *shot) {
    if (shot == nullptr || !UsableTarget(target) || !std::isfinite(power) || power < 0.0f) return 0;
    const double passingSpeed = std::sqrt(2.0 * DECELERATION * static_cast<double>(power));
    return StoreVector(LaunchThrough(FromRelease(target), passingSpeed, CurlOfSpin(target.spin)), target.spin,
                       shot);
}

TESSIVAL_API int TESSIVAL_CALL Simulation(GameState *state, ShotVector shot, float randomError, uint32_t seed,
                                          int32_t stoneIndex) {
    if (state == nullptr || !UsableVector(shot) || !UsableError(randomError)) return 0;
    const int delivered = DeliveredIndex(*state, stoneIndex);
    if (delivered < 0) return 0;
    RandomStream &stream = ProcessStream();
    CommitThrow(state, PlayThrow(*state, shot, randomError, StreamForThrow(stream, seed), delivered, nullptr),
                delivered, stream);
    return 1;
}

TESSIVAL_API int TESSIVAL_CALL SimulationWithGenerator(GameState *state, ShotVector shot, float randomError,
                                                       uint32_t seed, TessivalGenerator *generator,
                                                       int32_t stoneIndex) {
    if (state == nullptr || generator == nullptr || !UsableVector(shot) || !UsableError(randomError)) return 0;
    const int delivered = DeliveredIndex(*state, stoneIndex);
    if (delivered < 0) return 0;
    RandomStream stream;
    std::memcpy(stream.words, generator->words, sizeof stream.words);
    CommitThrow(state, PlayThrow(*state, shot, randomError, StreamForThrow(stream, seed), delivered, nullptr),
                delivered, stream);
    std::memcpy(generator->words, stream.words, sizeof stream.words);
    return 1;
}

TESSIVAL_API int TESSIVAL_CALL SimulationTrace(GameState *state, ShotVector shot, float randomError, uint32_t seed,
                                               int32_t stoneIndex, float (*path)[2], int32_t capacity,
                                               int32_t *length) {
    if (state == nullptr || path == nullptr || length == nullptr || capacity < 2) return 0;
    if (!UsableVector(shot) || !UsableError(randomError)) return 0;
    const int delivered = DeliveredIndex(*state, stoneIndex);
    if (delivered < 0) return 0;
    try {
        DeliveredPath recorded;
        RandomStream &stream = ProcessStream();
        const ThrowOutcome outcome =
            PlayThrow(*state, shot, randomError, StreamForThrow(stream, seed), delivered, &recorded);
        const std::vector<float> points = SamplePath(recorded, capacity);
        CommitThrow(state, outcome, delivered, stream);
        std::memcpy(path, points.data(), points.size() * sizeof(float));
        *length = capacity;
        return 1;
    } catch (...) {
        return 0;  // out of memory for the path: nothing written
    }
}

}  // extern "C"
