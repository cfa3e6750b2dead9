#include "statistics/pentanomial.h"

#include <algorithm>
#include <cmath>

namespace match::statistics {

EloEstimate PentanomialElo(const Pentanomial &pairs)
{
    long count = 0;
    double total = 0.0;
    for (int index = 0; index < 5; ++index) {
        count += pairs[index];
        total += static_cast<double>(pairs[index]) * (index / 4.0);
    }
    if (count == 0)
        return EloFromMeanScore(0.0, 0.0, 0);
    double n = static_cast<double>(count);
    double mean = total / n;
    double squares = 0.0;
    for (int index = 0; index < 5; ++index)
        squares += static_cast<double>(pairs[index]) * std::pow(index / 4.0 - mean, 2);
    return EloFromMeanScore(mean, squares / n, count);
}

int PentanomialIndex(double firstGameScore, double secondGameScore)
{
    // Clamped so a score out of range can never index past the counts.
    return std::clamp(static_cast<int>(std::lround(2.0 * (firstGameScore + secondGameScore))), 0, 4);
}

}  // namespace match::statistics
