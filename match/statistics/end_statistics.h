#pragma once

#include <string>
#include <vector>

namespace match::statistics {

// One end of a game: engine indices and the points each scored in the end
// (one of them is 0; both 0 is a blank end).
struct EndTally {
    int hammer;
    int other;
    int hammerPoints;
    int otherPoints;
};

// An engine's ends, counted for the usual curling efficiencies:
//   hammer efficiency  hammerScoredTwoPlus / hammerNonBlank: ends with the
//                      hammer in which it scored 2 or more, among its ends
//                      with the hammer that were not blank;
//   force efficiency   forceHeld / forcedEnds: ends without the hammer in
//                      which the side with the hammer was held to one point
//                      or less (one point, or a steal), among its ends
//                      without the hammer that were not blank;
//   steal efficiency   steals / stealEnds: ends without the hammer in which
//                      it scored, among all its ends without the hammer;
//   blank ends         blankEnds / hammerEnds: ends with the hammer that it
//                      blanked, among its ends with the hammer.
// ends counts every end it played.
struct EndStatistics {
    std::string name;
    int hammerEnds, hammerScoredTwoPlus, hammerNonBlank, forcedEnds, forceHeld, stealEnds, steals, blankEnds, ends;
};

// One entry per engine, in the order of names; ends naming an engine outside
// names, or the same engine on both sides, are left out.
std::vector<EndStatistics> TallyEnds(const std::vector<std::string> &names, const std::vector<EndTally> &ends);

// Every engine's efficiencies summed over the engines: each end counts once
// with the hammer and once without, so this is the match's own rate of each.
EndStatistics AllEnds(const std::vector<EndStatistics> &stats);

// A line saying what each column counts, then one row per engine with each
// efficiency and the counts behind it, e.g.
// "pebble  hammer 12/30 40.0%  force 8/25 32.0%  steal 3/30 10.0%  blank 2/32 6.3%",
// and a last row "all ends" of AllEnds.
std::string FormatEndStatistics(const std::vector<EndStatistics> &stats);

}  // namespace match::statistics
