// The C entry points: argument checks, then the shared computations, then the writes.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "free_motion.h"
#include "sheet_constants.h"
#include "sheet_play.h"
#include "tessival.h"
#include "throw_outcome.h"

namespace tessival {
namespace {

bool UsableTarget(const ShotTarget &target)
{
    return std::isfinite(target.x) && std::isfinite(target.y) && (target.spin == 0 || target.spin == 1) &&
           static_cast<double>(target.y) < RELEASE_Y;
}

Complex FromRelease(const ShotTarget &target)
{
    return Complex(static_cast<double>(target.x), static_cast<double>(target.y)) - Complex(RELEASE_X, RELEASE_Y);
}

int StoreVector(Complex velocity, std::uint8_t spin, ShotVector *shot)
{
    ShotVector made;
    std::memset(&made, 0, sizeof made);
    made.vx = static_cast<float>(velocity.real());
    made.vy = static_cast<float>(velocity.imag());
    made.spin = spin;
    if (!std::isfinite(made.vx) || !std::isfinite(made.vy))
        return 0;
    std::memcpy(shot, &made, sizeof made);
    return 1;
}

void CommitThrow(GameState *state, const ThrowOutcome &outcome, int delivered, RandomStream &stream)
{
    std::memcpy(state->stones, outcome.stones, sizeof state->stones);
    state->shotIndex = delivered + 1;
    stream = outcome.stream;
}

RandomStream StreamOf(const TessivalGenerator &generator)
{
    RandomStream stream;
    std::memcpy(stream.words, generator.words, sizeof stream.words);
    return stream;
}

void StoreStream(const RandomStream &stream, TessivalGenerator *generator)
{
    std::memcpy(generator->words, stream.words, sizeof stream.words);
}

// A stone's place at `count` instants evenly spaced from its first start to its
// end. The stone must have been set moving (runs not empty).
void SamplePath(const StoneRuns &stone, std::int32_t count, float (*points)[2])
{
    const double start = stone.runs.front().startTime;
    std::size_t run = 0;
    for (std::int32_t j = 0; j < count; ++j) {
        const double time = j == count - 1 ? stone.endTime : start + (stone.endTime - start) * j / (count - 1);
        while (run + 1 < stone.runs.size() && stone.runs[run + 1].startTime <= time)
            ++run;
        const Complex position = KinematicsAt(stone.runs[run], time).position;
        points[j][0] = static_cast<float>(position.real());
        points[j][1] = static_cast<float>(position.imag());
    }
}

bool UsableTrace(const TessivalTrace *trace)
{
    return trace != nullptr && trace->capacity >= 2 && trace->points != nullptr && trace->contactCapacity >= 0 &&
           (trace->contacts != nullptr || trace->contactCapacity == 0);
}

TessivalStonePath StonePath(const StoneRuns &stone, std::int32_t capacity)
{
    if (stone.runs.empty())
        return TessivalStonePath{0.0f, 0.0f, 0, 0};
    return TessivalStonePath{static_cast<float>(stone.runs.front().startTime), static_cast<float>(stone.endTime),
                             capacity, stone.removed ? 1 : 0};
}

// Fills the caller's side of a trace; takes nothing from the heap.
void WriteTrace(const ThrowTrace &recorded, TessivalTrace &trace)
{
    for (int k = 0; k < STONE_COUNT; ++k) {
        const StoneRuns &stone = recorded.stones[static_cast<std::size_t>(k)];
        trace.stones[k] = StonePath(stone, trace.capacity);
        if (!stone.runs.empty())
            SamplePath(stone, trace.capacity, trace.points + static_cast<std::ptrdiff_t>(k) * trace.capacity);
    }
    const std::size_t written = std::min(recorded.contacts.size(), static_cast<std::size_t>(trace.contactCapacity));
    for (std::size_t c = 0; c < written; ++c) {
        const ContactEvent &contact = recorded.contacts[c];
        trace.contacts[c] = TessivalContact{static_cast<float>(contact.time), contact.first, contact.second};
    }
    trace.contactCount = static_cast<std::int32_t>(recorded.contacts.size());
}

// The delivered stone's index when the arguments every throw takes are usable, else -1.
int UsableThrow(const GameState *state, const ShotVector &shot, float randomError, std::int32_t stoneIndex)
{
    if (state == nullptr || !UsableVector(shot) || !UsableError(randomError))
        return -1;
    return DeliveredIndex(*state, stoneIndex);
}

}  // namespace
}  // namespace tessival

using namespace tessival;

extern "C" {

TESSIVAL_API int TESSIVAL_CALL CreateShot(ShotTarget target, ShotVector *shot)
{
    if (shot == nullptr || !UsableTarget(target))
        return 0;
    return StoreVector(LaunchForDisplacement(FromRelease(target), CurlOfSpin(target.spin)), target.spin, shot);
}

TESSIVAL_API int TESSIVAL_CALL CreateHitShot(ShotTarget target, float power, ShotVector *shot)
{
    if (shot == nullptr || !UsableTarget(target) || !std::isfinite(power) || power < 0.0f)
        return 0;
    const double passingSpeed = std::sqrt(2.0 * DECELERATION * static_cast<double>(power));
    return StoreVector(LaunchThrough(FromRelease(target), passingSpeed, CurlOfSpin(target.spin)), target.spin, shot);
}

TESSIVAL_API int TESSIVAL_CALL Simulation(GameState *state, ShotVector shot, float randomError, uint32_t seed,
                                          int32_t stoneIndex)
{
    const int delivered = UsableThrow(state, shot, randomError, stoneIndex);
    if (delivered < 0)
        return 0;
    RandomStream &stream = ProcessStream();
    CommitThrow(state, PlayThrow(*state, shot, randomError, StreamForThrow(stream, seed), delivered, nullptr),
                delivered, stream);
    return 1;
}

TESSIVAL_API int TESSIVAL_CALL SimulationWithGenerator(GameState *state, ShotVector shot, float randomError,
                                                       uint32_t seed, TessivalGenerator *generator, int32_t stoneIndex)
{
    if (generator == nullptr)
        return 0;
    const int delivered = UsableThrow(state, shot, randomError, stoneIndex);
    if (delivered < 0)
        return 0;
    RandomStream stream = StreamOf(*generator);
    CommitThrow(state, PlayThrow(*state, shot, randomError, StreamForThrow(stream, seed), delivered, nullptr),
                delivered, stream);
    StoreStream(stream, generator);
    return 1;
}

TESSIVAL_API int TESSIVAL_CALL SimulationTraceWithGenerator(GameState *state, ShotVector shot, float randomError,
                                                            uint32_t seed, TessivalGenerator *generator,
                                                            int32_t stoneIndex, TessivalTrace *trace)
{
    if (generator == nullptr || !UsableTrace(trace))
        return 0;
    const int delivered = UsableThrow(state, shot, randomError, stoneIndex);
    if (delivered < 0)
        return 0;
    try {
        ThrowTrace recorded;
        RandomStream stream = StreamOf(*generator);
        const ThrowOutcome outcome =
            PlayThrow(*state, shot, randomError, StreamForThrow(stream, seed), delivered, &recorded);
        // Nothing from here on allocates or fails: every write is made, or none.
        CommitThrow(state, outcome, delivered, stream);
        StoreStream(stream, generator);
        WriteTrace(recorded, *trace);
        return 1;
    } catch (...) {
        return 0;  // out of memory for the trace: nothing written
    }
}

TESSIVAL_API int TESSIVAL_CALL SimulationTrace(GameState *state, ShotVector shot, float randomError, uint32_t seed,
                                               int32_t stoneIndex, float (*path)[2], int32_t capacity, int32_t *length)
{
    if (path == nullptr || length == nullptr || capacity < 2)
        return 0;
    const int delivered = UsableThrow(state, shot, randomError, stoneIndex);
    if (delivered < 0)
        return 0;
    try {
        ThrowTrace recorded;
        RandomStream &stream = ProcessStream();
        const ThrowOutcome outcome =
            PlayThrow(*state, shot, randomError, StreamForThrow(stream, seed), delivered, &recorded);
        // Nothing from here on allocates or fails: every write is made, or none.
        CommitThrow(state, outcome, delivered, stream);
        SamplePath(recorded.stones[static_cast<std::size_t>(delivered)], capacity, path);
        *length = capacity;
        return 1;
    } catch (...) {
        return 0;  // out of memory for the trace: nothing written
    }
}

}  // extern "C"
