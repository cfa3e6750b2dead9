#pragma once

#include "tessival.h"

constexpr float NO_SHOT_SCORE = -8.0f;
constexpr float HIT_POWER = 12.0f;
// Random-error argument of every simulated throw on the GO path.
constexpr float RANDOM_ERROR = 0.145f;

enum ShotKind { HIT_SHOT, DRAW_SHOT };

// The launch vector of a shot at target, as the bound library builds it: a hit
// with HIT_POWER, or a draw.
ShotVector BuildShot(ShotKind kind, ShotTarget target);

// Plays vector on state through the bound library with the fixed seed argument
// 0 and the delivered stone left to the library (-1).
void SimulateShot(GameState &state, ShotVector vector, float randomError);

// A target with its filler bytes zeroed.
ShotTarget MakeTarget(float x, float y, int spin);
