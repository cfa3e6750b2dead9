#pragma once

#include <vector>

#include <nlohmann/json.hpp>

#include "viewer/stone_motion.h"

namespace match::viewer {

// The page's units: lengths in whole millimetres, times in whole
// milliseconds, each the nearest to the value given.
long long Millimetres(double metres);
long long Milliseconds(double seconds);

// The double that prints as the float's shortest decimal form: a float
// widened to double prints with 17 digits ("-0.16110399365425110" for
// -0.161104f), this with its own.
double Shortest(float value);

// A shown path as one flat array [t, x, y, dt, dx, dy, ...] in milliseconds
// and millimetres, every point after the first as its change from the one
// before: summing gives each point exactly as Milliseconds and Millimetres
// round it.
nlohmann::json PathNumbers(const std::vector<ShownPoint> &points);

}  // namespace match::viewer
