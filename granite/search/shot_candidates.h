#pragma once

#include <vector>

#include "search/shot_plan.h"
#include "tessival.h"

namespace granite::search {

// The shots granite tries for the side to move in a sanitized state: draws
// into the house and to guard spots, a throw-away, and for each of the stones
// in play nearest the tee, taps and raises, takeouts, peels and angled hits
// (double takeouts), a freeze, a guard and a come-around; every one with both
// spins.
std::vector<ShotPlan> ShotCandidates(const GameState &state);

// Variants of plan with the aim moved a little across and along, and for a hit
// a lighter and a heavier weight.
std::vector<ShotPlan> RefinedAround(const ShotPlan &plan);

}  // namespace granite::search
