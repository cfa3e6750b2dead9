#pragma once

#include "shot_search.h"

// granite's settings from its command line, set once before the command loop.
struct GraniteSettings {
    SearchLimits limits;
};

// The think time per GO by default: a whole 8-end game takes well under 20 s.
inline constexpr double DEFAULT_THINK_MS = 150.0;

const GraniteSettings &Settings();
void UseSettings(const GraniteSettings &settings);
