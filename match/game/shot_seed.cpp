#include "game/shot_seed.h"

namespace {

// SplitMix64 finaliser: every input bit affects every output bit.
uint64_t Mix(uint64_t value)
{
    value += 0x9e3779b97f4a7c15ULL;
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ULL;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebULL;
    return value ^ (value >> 31);
}

} // namespace

uint32_t ShotSeed(uint64_t matchSeed, int pair, int end, int shotIndex)
{
    uint64_t hash = Mix(matchSeed);
    hash = Mix(hash ^ static_cast<uint64_t>(pair));
    hash = Mix(hash ^ static_cast<uint64_t>(end));
    hash = Mix(hash ^ static_cast<uint64_t>(shotIndex));
    auto seed = static_cast<uint32_t>(hash >> 32);
    return seed == 0 ? 1u : seed;
}
