#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "summary/match_summary.h"

namespace match::summary {

// The summary as one JSON object with every figure the text shows (the
// fields are listed in the README). running says the match goes on and the
// figures will change. An infinite Elo or interval end is null.
nlohmann::json SummaryJson(const MatchSummary &summary, bool running);

// SummaryJson indented, ending in a line feed; bytes of a name that are no
// UTF-8 become U+FFFD.
std::string SummaryJsonText(const MatchSummary &summary, bool running);

// Replaces path with text, written to a file beside it and renamed over it,
// so that a reader polling path never sees half of it. An error message, or
// empty.
std::string WriteSummaryFile(const std::string &path, const std::string &text);

}  // namespace match::summary
