#pragma once

#include <array>

#include "statistics/elo.h"

namespace match::statistics {

// Pairs counted by the points engine A took from the pair: index 0..4 = 0, 1/2, 1, 3/2, 2.
using Pentanomial = std::array<long, 5>;

// The Elo of A over B from pair results: the mean of the pairs' per-game
// scores (index / 4) with the variance of those scores over the pairs, so
// the interval reflects how much the shared throws make a pair's two games
// alike. Infinite elo when all pairs are 2 or all are 0, with the one-sided
// bound (the pair result seen in every pair has chance 2.5% or more) as the
// other end.
EloEstimate PentanomialElo(const Pentanomial &pairs);

// Index of a pair's count from A's score in its two games (each 0, 0.5 or 1).
int PentanomialIndex(double firstGameScore, double secondGameScore);

}  // namespace match::statistics
