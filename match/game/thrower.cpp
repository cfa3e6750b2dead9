#include "game/thrower.h"

#include <mutex>

namespace match::game {

namespace {

constexpr int PATH_CAPACITY = 512;

// SimulationTrace draws from the library's one process-wide generator, so
// games played at once take turns.
std::mutex libraryLock;

// SplitMix64 finaliser: every input bit affects every output bit.
uint64_t Mix(uint64_t value)
{
    value += 0x9e3779b97f4a7c15ULL;
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ULL;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebULL;
    return value ^ (value >> 31);
}

} // namespace

Thrower::Thrower(uint64_t matchSeed, int pair, float error) : matchSeed_(matchSeed), pair_(pair), error_(error) {}

uint32_t Thrower::Seed(int end, int shotIndex) const
{
    uint64_t hash = Mix(matchSeed_);
    hash = Mix(hash ^ static_cast<uint64_t>(pair_));
    hash = Mix(hash ^ static_cast<uint64_t>(end));
    hash = Mix(hash ^ static_cast<uint64_t>(shotIndex));
    auto seed = static_cast<uint32_t>(hash >> 32);
    return seed == 0 ? 1u : seed;
}

bool Thrower::Throw(GameState &state, const ShotVector &shot, uint32_t seed, std::vector<PathPoint> &path)
{
    float points[PATH_CAPACITY][2];
    int32_t length = 0;
    int done = 0;
    {
        std::lock_guard<std::mutex> guard(libraryLock);
        done = SimulationTrace(&state, shot, error_, seed, -1, points, PATH_CAPACITY, &length);
    }
    path.clear();
    for (int32_t i = 0; done && i < length && i < PATH_CAPACITY; ++i)
        path.push_back({points[i][0], points[i][1]});
    return done != 0;
}

} // namespace match::game
