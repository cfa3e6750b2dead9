#pragma once

#include "setup/match_options.h"

namespace match::run {

// Prints the summary of a match from its records (whole or shards). Returns
// the exit status.
int RunSummary(const setup::MatchOptions &options);

}  // namespace match::run
