#pragma once

#include "setup/match_options.h"

namespace match::run {

// --check ENGINE: the compliance run of one engine, a line per check on
// standard output and the tally last. Returns 0 when every check passed, 1
// when one failed or the log could not be written.
int RunCheck(const setup::MatchOptions &options);

}  // namespace match::run
