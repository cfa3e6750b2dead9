#pragma once

#include "tessival.h"

// Metres on the sheet, x across and y along it; "above" is toward greater y.
constexpr float TEE_X = 2.375f;
constexpr float TEE_Y = 4.88f;
// A double on purpose: InHouse compares in double precision, while the end
// evaluation squares its single-precision value.
constexpr double HOUSE_REACH = 1.975;
constexpr float NEAR_TEE_RADIUS = 1.22f;
constexpr float LANE_HALF_WIDTH = 0.145f;
constexpr float LANE_LENGTH = 3.66f;

constexpr int STONE_COUNT = 16;

// v * v, rounded to single precision.
float Square(float v);

// (ax - bx)^2 + (ay - by)^2, every step rounded to single precision.
float SquaredDistance(float ax, float ay, float bx, float by);

// Number of thrown stones a scan bounded by shotIndex examines: shotIndex
// clamped to 0..16, so a negative index examines nothing and no scan reads
// beyond stone 15.
int ThrownStoneCount(const GameState &state);

// Within HOUSE_REACH of the tee, compared in double precision.
bool InHouse(float x, float y);

// Strictly within r of (cx, cy).
bool WithinRadius(float px, float py, float cx, float cy, float r);

// The stone tests read shotIndex and stones of the global gameState.

// A thrown stone of side strictly within r of (x, y).
bool AnyStoneNear(int side, float x, float y, float r);

// A thrown stone of either side strictly inside the lane from y up to y + LANE_LENGTH.
bool AnyStoneInLaneAbove(float x, float y);

// A thrown stone of side strictly inside the lane from y down to y - LANE_LENGTH.
bool AnySideStoneInLaneBelow(int side, float x, float y);
