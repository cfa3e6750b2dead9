#pragma once

#include "setup/match_options.h"

// Plays the games of a match (those missing from the record with --resume),
// prints each line score and the summary, and writes the record and the
// pictures asked for. Returns the exit status.
int RunMatch(const MatchOptions &options);

// Replays a record and reports the outcome. Returns the exit status.
int RunReplay(const MatchOptions &options);

// Prints the summary of a match from its records (whole or shards). Returns
// the exit status.
int RunSummary(const MatchOptions &options);
