#pragma once

#include "shot_building.h"

constexpr int FINAL_SHOT_INDEX = 15;
constexpr float UNTRIED_SCORE = -9.0f;
constexpr int SCORE_TABLE_SIZE = 1024;
// Entries 0..29 are the hits on stones 0..14, two spins each; draws follow.
constexpr int HIT_ENTRY_COUNT = 30;
// The largest grid whose draws fit the score table: 30 + 2 * 22 * 22 = 998.
constexpr int MAX_GRID_SIZE = 22;

// Chooses the last shot of an end by playing every hit on a thrown stone in
// play and every draw to a gridSize x gridSize grid round the tee, both spins,
// in passes while the pass number is below trialCount. Returns the best
// candidate's summed score / trialCount and writes its vector to out, or
// returns NO_SHOT_SCORE with out untouched when nothing is chosen, when state is
// not at FINAL_SHOT_INDEX, or when gridSize exceeds MAX_GRID_SIZE.
float SearchFinalShots(const GameState &state, ShotVector *out, float trialCount, int gridSize, float gridSpacing,
                       float randomError);

// Grid point (i, j): ((i - h) * spacing + TEE_X, (j - h) * spacing + TEE_Y) with
// h = gridSize / 2, every step in single precision.
ShotTarget GridTarget(int i, int j, int spin, int gridSize, float gridSpacing);
