#pragma once

#include <optional>

#include "search/shot_search.h"

namespace granite {

// Reads granite's command line into limits, options left out keeping the
// defaults of search::SearchLimits. Returns the exit status to end with at once (0
// after --help, 2 after a message on a bad option), or nothing when the engine
// should run.
std::optional<int> ParseOptions(int argc, char **argv, search::SearchLimits &limits);

}  // namespace granite
