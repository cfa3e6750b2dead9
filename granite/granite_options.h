#pragma once

#include <optional>

#include "granite_settings.h"

// Reads granite's command line into settings. Returns the exit status to end
// with at once (0 after --help, 2 after a message on a bad option), or
// nothing when the engine should run.
std::optional<int> ParseOptions(int argc, char **argv, GraniteSettings &settings);
