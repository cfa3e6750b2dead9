#include "statistics/elo.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr double Z95 = 1.959963984540054;
constexpr double INF = std::numeric_limits<double>::infinity();

std::string Signed(double value)
{
    if (std::isinf(value))
        return value > 0 ? "+inf" : "-inf";
    char text[32];
    // Adding 0.0 turns a negative zero into zero.
    std::snprintf(text, sizeof text, "%+.1f", value + 0.0);
    return text;
}

} // namespace

double EloFromScore(double score)
{
    if (score <= 0.0)
        return -INF;
    if (score >= 1.0)
        return INF;
    return -400.0 * std::log10(1.0 / score - 1.0);
}

EloEstimate EstimateElo(int wins, int losses, int draws)
{
    int games = wins + losses + draws;
    if (games == 0)
        return {0.0, -INF, INF};
    double n = games;
    double score = (wins + 0.5 * draws) / n;
    // One-sided exact binomial bounds where the score is 0 or 1 and the normal
    // interval collapses.
    double tail = std::pow(1.0 - 0.975, 1.0 / n);
    if (wins == games)
        return {INF, EloFromScore(tail), INF};
    if (losses == games)
        return {-INF, -INF, EloFromScore(1.0 - tail)};
    double variance = (wins * std::pow(1.0 - score, 2) + draws * std::pow(0.5 - score, 2) + losses * std::pow(score, 2)) / n;
    double margin = Z95 * std::sqrt(variance / n);
    return {EloFromScore(score), EloFromScore(score - margin), EloFromScore(score + margin)};
}

std::string FormatElo(const EloEstimate &estimate)
{
    if (std::isinf(estimate.difference))
        return "Elo difference: " + Signed(estimate.difference) + " (every game " +
               (estimate.difference > 0 ? "won; at least " + Signed(estimate.lower) : "lost; at most " + Signed(estimate.upper)) +
               " at 95% confidence)";
    std::string text = "Elo difference: " + Signed(estimate.difference);
    if (std::isinf(estimate.lower) || std::isinf(estimate.upper))
        return text + " (95% interval " + Signed(estimate.lower) + " to " + Signed(estimate.upper) + ")";
    char margin[32];
    std::snprintf(margin, sizeof margin, "%.1f", (estimate.upper - estimate.lower) / 2.0);
    return text + " +/- " + margin + " (95%)";
}
