#pragma once

#include <cstdint>

// The seed handed to the physics library for one throw: a hash of the match
// seed and the throw's place in the match, never 0 (0 would continue the
// library's stream instead of reseeding it). Both games of a pair throw with
// the same seeds. Pair numbers count from 1, ends and shots from 0.
uint32_t ShotSeed(uint64_t matchSeed, int pair, int end, int shotIndex);
