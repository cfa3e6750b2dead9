#pragma once

#include "setup/match_options.h"

namespace match::run {

// Replays a record and reports the outcome; writes the viewer page from it
// when one is asked for. Returns the exit status.
int RunReplay(const setup::MatchOptions &options);

}  // namespace match::run
