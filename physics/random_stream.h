// The random draws of the thrower's error: xoshiro256** seeded through SplitMix64.
#pragma once

#include <cstdint>
#include <optional>

namespace tessival {

inline constexpr std::uint64_t DEFAULT_SEED = 2026;

struct RandomStream {
    std::uint64_t words[4];
};

RandomStream SeededStream(std::uint64_t seed);
std::uint64_t NextWord(RandomStream &stream);

struct NormalPair {
    double first;
    double second;
};
// Two independent standard normal draws (Box-Muller), taking two words.
NormalPair NextNormalPair(RandomStream &stream);

// A decimal unsigned 64-bit integer and nothing else, or no value.
std::optional<std::uint64_t> ParseSeed(const char *text);

// The one stream of the process, seeded at load time from TESSIVAL_SEED or DEFAULT_SEED.
RandomStream &ProcessStream();

}  // namespace tessival
