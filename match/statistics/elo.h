#pragma once

#include <string>

// An Elo difference with its 95% interval, from the score fraction of a
// match and the standard error of the per-game score (draws count half).
// Either end may be infinite: when every game was won the difference itself
// is +infinity and lower is the one-sided bound the results still support.
struct EloEstimate {
    double difference;
    double lower;
    double upper;
};

EloEstimate EstimateElo(int wins, int losses, int draws);

// The Elo difference of a score fraction, infinite at 0 and 1.
double EloFromScore(double score);

// "Elo difference: +70.4 +/- 150.2 (95%)" and its variants for infinite ends.
std::string FormatElo(const EloEstimate &estimate);
