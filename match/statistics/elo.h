#pragma once

#include <string>

namespace match::statistics {

// An Elo difference with its 95% interval. Either end may be infinite: when
// every game (or pair) was won the difference itself is +infinity and lower
// is the one-sided bound the results still support.
struct EloEstimate {
    double elo;
    double lower;
    double upper;
};

// The two-sided 95% quantile of the normal distribution.
constexpr double Z95 = 1.959963984540054;
// Elo per natural-log unit of the winning odds: 400 / ln 10.
constexpr double ELO_PER_LOG_ODDS = 173.71779276130073;

// The logistic Elo difference of a score fraction, infinite at 0 and 1.
double EloFromScore(double score);

// The expected score fraction of a side that is elo stronger: the inverse of EloFromScore.
double ScoreFromElo(double elo);

// The Elo of a mean score over independent samples (games or pairs) whose
// score fractions have the given variance: the normal 95% interval of the
// mean mapped through EloFromScore. When every sample scored the same (a
// score of 0 or 1, or every pair drawn) that interval would collapse to a
// point, so the bound becomes exact: the result seen in every sample has
// probability 2.5% or more.
EloEstimate EloFromMeanScore(double score, double variance, long samples);

// Per-game estimate from a match's wins, losses and draws (draws count half).
EloEstimate EstimateElo(int wins, int losses, int draws);

// "+70.4", "-3.0", "+0.0" or "+inf".
std::string SignedElo(double elo);

// "Elo difference: +70.4 +/- 150.2 (95%)" and its variants for infinite ends.
std::string FormatElo(const EloEstimate &estimate);

}  // namespace match::statistics
