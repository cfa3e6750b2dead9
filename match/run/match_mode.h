#pragma once

#include "setup/match_options.h"

namespace match::run {

// Plays the games of a match (those missing from the record with --resume),
// prints each line score and the summary, and writes the record and the
// pictures asked for. Returns the exit status.
int RunMatch(const setup::MatchOptions &options);

}  // namespace match::run
