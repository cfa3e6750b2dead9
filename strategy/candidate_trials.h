#pragma once

#include "shot_building.h"

constexpr int CANDIDATE_COUNT = 6;
constexpr int TRIAL_REPEATS = 30;
constexpr float LATERAL_STEP = 0.0725f;

// Throws six candidates around (baseX, baseY), three across the sheet and two
// spins, TRIAL_REPEATS times each on copies of the global gameState, adds each
// outcome's end score / 30 for the side to move to candidateScores (set by the
// caller) and returns the vector of the best candidate, built anew.
// Candidate 2j + s aims at x = baseX - (j - 1) * LATERAL_STEP with spin s.
ShotVector RunCandidateTrials(ShotKind kind, float baseX, float baseY, float candidateScores[CANDIDATE_COUNT]);
