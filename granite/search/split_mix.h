#pragma once

#include <cstdint>

namespace granite::search {

// SplitMix64: a small, fast, seedable stream for the choices of rollouts and
// for deriving the seeds of throws.
struct SplitMix {
    std::uint64_t state;

    std::uint64_t Next()
    {
        state += 0x9E3779B97F4A7C15ull;
        std::uint64_t mixed = state;
        mixed = (mixed ^ (mixed >> 30)) * 0xBF58476D1CE4E5B9ull;
        mixed = (mixed ^ (mixed >> 27)) * 0x94D049BB133111EBull;
        return mixed ^ (mixed >> 31);
    }

    // Uniform in [-1, 1).
    float Symmetric() { return static_cast<float>(static_cast<double>(Next() >> 11) * 0x1.0p-52 - 1.0); }
};

}  // namespace granite::search
