#include "statistics/elo.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace match::statistics {

namespace {

constexpr double INF = std::numeric_limits<double>::infinity();

}  // namespace

std::string SignedElo(double elo)
{
    if (std::isinf(elo))
        return elo > 0 ? "+inf" : "-inf";
    char text[32];
    // Rounded first, so that a fit's -1e-12 shows as +0.0; adding 0.0 turns
    // a negative zero into zero.
    std::snprintf(text, sizeof text, "%+.1f", std::round(elo * 10.0) / 10.0 + 0.0);
    return text;
}

double EloFromScore(double score)
{
    if (score <= 0.0)
        return -INF;
    if (score >= 1.0)
        return INF;
    return -400.0 * std::log10(1.0 / score - 1.0);
}

double ScoreFromElo(double elo)
{
    return 1.0 / (1.0 + std::pow(10.0, -elo / 400.0));
}

EloEstimate EloFromMeanScore(double score, double variance, long samples)
{
    if (samples <= 0)
        return {0.0, -INF, INF};
    if (variance <= 0.0 || score <= 0.0 || score >= 1.0) {
        // Every sample scored the same: it comes up with chance tail or more,
        // and the rest of the chance may lie anywhere from a score of 0 to 1.
        double tail = std::pow(1.0 - 0.975, 1.0 / static_cast<double>(samples));
        return {EloFromScore(score), EloFromScore(score * tail), EloFromScore(score * tail + 1.0 - tail)};
    }
    double margin = Z95 * std::sqrt(variance / static_cast<double>(samples));
    return {EloFromScore(score), EloFromScore(score - margin), EloFromScore(score + margin)};
}

EloEstimate EstimateElo(int wins, int losses, int draws)
{
    int games = wins + losses + draws;
    if (games == 0)
        return EloFromMeanScore(0.0, 0.0, 0);
    double n = games;
    double score = (wins + 0.5 * draws) / n;
    double variance =
        (wins * std::pow(1.0 - score, 2) + draws * std::pow(0.5 - score, 2) + losses * std::pow(score, 2)) / n;
    return EloFromMeanScore(score, variance, games);
}

std::string FormatElo(const EloEstimate &estimate)
{
    if (std::isinf(estimate.elo))
        return "Elo difference: " + SignedElo(estimate.elo) + " (every game " +
               (estimate.elo > 0 ? "won; at least " + SignedElo(estimate.lower)
                                 : "lost; at most " + SignedElo(estimate.upper)) +
               " at 95% confidence)";
    if (std::isinf(estimate.lower) && std::isinf(estimate.upper))
        return "Elo difference: n/a (no results)";
    std::string text = "Elo difference: " + SignedElo(estimate.elo);
    if (std::isinf(estimate.upper))
        return text + " (95% interval: " + SignedElo(estimate.lower) + " or more)";
    if (std::isinf(estimate.lower))
        return text + " (95% interval: " + SignedElo(estimate.upper) + " or less)";
    char margin[32];
    std::snprintf(margin, sizeof margin, "%.1f", (estimate.upper - estimate.lower) / 2.0);
    return text + " +/- " + margin + " (95%)";
}

}  // namespace match::statistics
