#include "game/thrower.h"

namespace match::game {

namespace {

// Points per stone path; the pictures draw the thrown stone's at this resolution.
constexpr int PATH_CAPACITY = 512;
constexpr std::size_t FIRST_CONTACT_CAPACITY = 64;

// SplitMix64 finaliser: every input bit affects every output bit.
uint64_t Mix(uint64_t value)
{
    value += 0x9e3779b97f4a7c15ULL;
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ULL;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebULL;
    return value ^ (value >> 31);
}

// Stone k's points start at points[k * PATH_CAPACITY].
void AddPaths(const TessivalTrace &traced, const float (*points)[2], ShotTrace &trace)
{
    for (int k = 0; k < TESSIVAL_STONE_COUNT; ++k) {
        const TessivalStonePath &stone = traced.stones[k];
        if (stone.length == 0)
            continue;
        StonePath &path = trace.paths.emplace_back();
        path.stone = k;
        path.startTime = stone.startTime;
        path.endTime = stone.endTime;
        path.leftSheet = stone.leftSheet != 0;
        const float(*first)[2] = points + k * PATH_CAPACITY;
        path.points.reserve(static_cast<std::size_t>(stone.length));
        for (int32_t i = 0; i < stone.length; ++i)
            path.points.push_back({first[i][0], first[i][1]});
    }
}

}  // namespace

Thrower::Thrower(uint64_t matchSeed, int pair, float error)
    : matchSeed_(matchSeed), pair_(pair), error_(error), contacts_(FIRST_CONTACT_CAPACITY)
{
}

uint32_t Thrower::Seed(int end, int shotIndex) const
{
    uint64_t hash = Mix(matchSeed_);
    hash = Mix(hash ^ static_cast<uint64_t>(pair_));
    hash = Mix(hash ^ static_cast<uint64_t>(end));
    hash = Mix(hash ^ static_cast<uint64_t>(shotIndex));
    auto seed = static_cast<uint32_t>(hash >> 32);
    return seed == 0 ? 1u : seed;
}

bool Thrower::Throw(GameState &state, const ShotVector &shot, uint32_t seed, ShotTrace &trace)
{
    trace = {};
    float points[TESSIVAL_STONE_COUNT * PATH_CAPACITY][2];  // 64 KiB
    const GameState from = state;
    const TessivalGenerator generator = generator_;
    TessivalTrace traced{};
    traced.capacity = PATH_CAPACITY;
    traced.points = points;
    while (true) {
        traced.contactCapacity = static_cast<int32_t>(contacts_.size());
        traced.contacts = contacts_.data();
        if (!SimulationTraceWithGenerator(&state, shot, error_, seed, &generator_, -1, &traced))
            return false;
        if (traced.contactCount <= traced.contactCapacity)
            break;
        // More contacts than room: the same throw again with room for all.
        contacts_.resize(static_cast<std::size_t>(traced.contactCount));
        state = from;
        generator_ = generator;
    }
    AddPaths(traced, points, trace);
    trace.contacts.assign(contacts_.begin(), contacts_.begin() + traced.contactCount);
    return true;
}

}  // namespace match::game
