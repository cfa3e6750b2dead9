#pragma once

#include <string>

#include "summary/match_summary.h"

namespace match::summary {

// The standings alone: for two engines wins, losses and draws, points, the
// Elo from the pair results and the SPRT state (and, when the game cap ended
// it undecided, its bounds and the LLR reached); for more engines the rating
// table.
std::string StandingsText(const MatchSummary &summary);

// The summary as text: what it lacks, if anything, then the standings, the
// crosstable of three or more engines, the end statistics of every engine and
// their think times (and clocks).
std::string SummaryText(const MatchSummary &summary);

}  // namespace match::summary
