#include "statistics/rating_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "statistics/elo.h"

namespace match::statistics {

namespace {

using Matrix = std::vector<std::vector<double>>;

constexpr double INF = std::numeric_limits<double>::infinity();
// Drawn games added between every two engines when the games alone have no
// finite fit: enough to keep a perfect score finite, few enough to be lost in
// any real match.
constexpr double PRIOR_GAMES = 1.0;

// Games between each two engines and the points each engine took, the
// virtual draws included; realGames and realPoints count played games alone,
// taken[i][j] the points engine i took from engine j in them.
struct Results {
    Matrix games;
    std::vector<double> points;
    std::vector<int> realGames;
    std::vector<double> realPoints;
    Matrix taken;
};

Results Collect(size_t engines, const std::vector<RatedGame> &games, double prior)
{
    Results results{Matrix(engines, std::vector<double>(engines, prior)),
                    std::vector<double>(engines, 0.5 * prior * static_cast<double>(engines - 1)),
                    std::vector<int>(engines, 0), std::vector<double>(engines, 0.0),
                    Matrix(engines, std::vector<double>(engines, 0.0))};
    for (size_t engine = 0; engine < engines; ++engine)
        results.games[engine][engine] = 0.0;
    for (const RatedGame &game : games) {
        auto first = static_cast<size_t>(game.first);
        auto second = static_cast<size_t>(game.second);
        if (game.first < 0 || game.second < 0 || first >= engines || second >= engines || first == second)
            continue;
        double score = game.firstScore;
        if (!(score >= 0.0 && score <= 1.0))
            continue;
        results.games[first][second] += 1.0;
        results.games[second][first] += 1.0;
        results.points[first] += score;
        results.points[second] += 1.0 - score;
        ++results.realGames[first];
        ++results.realGames[second];
        results.realPoints[first] += score;
        results.realPoints[second] += 1.0 - score;
        results.taken[first][second] += score;
        results.taken[second][first] += 1.0 - score;
    }
    return results;
}

// The engines reached from engine 0 along "took points from" (forward) or
// "gave points to" (backward).
std::vector<bool> Reached(const Matrix &taken, bool forward)
{
    std::vector<bool> reached(taken.size(), false);
    std::vector<size_t> open{0};
    reached[0] = true;
    while (!open.empty()) {
        size_t engine = open.back();
        open.pop_back();
        for (size_t other = 0; other < taken.size(); ++other) {
            double points = forward ? taken[engine][other] : taken[other][engine];
            if (points > 0.0 && !reached[other]) {
                reached[other] = true;
                open.push_back(other);
            }
        }
    }
    return reached;
}

// The games alone have a finite maximum-likelihood fit exactly when every
// engine took points, directly or through others, from every other one: no
// group of engines took every point against the rest.
bool PlainFitExists(const Matrix &taken)
{
    for (bool forward : {true, false}) {
        std::vector<bool> reached = Reached(taken, forward);
        if (std::find(reached.begin(), reached.end(), false) != reached.end())
            return false;
    }
    return true;
}

double WinChance(double strength, double opponent)
{
    return 1.0 / (1.0 + std::exp(opponent - strength));
}

// Sum of points * strength less games * log(e^a + e^b) over the pairs.
double LogLikelihood(const Results &results, const std::vector<double> &strengths)
{
    double sum = 0.0;
    for (size_t engine = 0; engine < strengths.size(); ++engine) {
        sum += results.points[engine] * strengths[engine];
        for (size_t other = engine + 1; other < strengths.size(); ++other) {
            double high = std::max(strengths[engine], strengths[other]);
            double gap = std::fabs(strengths[engine] - strengths[other]);
            sum -= results.games[engine][other] * (high + std::log1p(std::exp(-gap)));
        }
    }
    return sum;
}

// Gradient and Fisher information of the log-likelihood, with the reference
// engine's row and column left out: its strength is held at 0.
void Derivatives(const Results &results, const std::vector<double> &strengths, size_t reference,
                 std::vector<double> &gradient, Matrix &information)
{
    size_t engines = strengths.size();
    std::vector<double> fullGradient(results.points);
    Matrix full(engines, std::vector<double>(engines, 0.0));
    for (size_t engine = 0; engine < engines; ++engine)
        for (size_t other = 0; other < engines; ++other) {
            double chance = WinChance(strengths[engine], strengths[other]);
            double weight = results.games[engine][other] * chance * (1.0 - chance);
            fullGradient[engine] -= results.games[engine][other] * chance;
            full[engine][engine] += weight;
            full[engine][other] -= weight;
        }
    gradient.clear();
    information.clear();
    for (size_t engine = 0; engine < engines; ++engine) {
        if (engine == reference)
            continue;
        gradient.push_back(fullGradient[engine]);
        information.emplace_back();
        for (size_t other = 0; other < engines; ++other)
            if (other != reference)
                information.back().push_back(full[engine][other]);
    }
}

// Gauss-Jordan inverse with partial pivoting; the information matrix is
// positive definite once the reference engine is left out.
Matrix Inverse(Matrix matrix)
{
    size_t size = matrix.size();
    Matrix inverse(size, std::vector<double>(size, 0.0));
    for (size_t row = 0; row < size; ++row)
        inverse[row][row] = 1.0;
    for (size_t column = 0; column < size; ++column) {
        size_t pivot = column;
        for (size_t row = column + 1; row < size; ++row)
            if (std::fabs(matrix[row][column]) > std::fabs(matrix[pivot][column]))
                pivot = row;
        std::swap(matrix[column], matrix[pivot]);
        std::swap(inverse[column], inverse[pivot]);
        double scale = matrix[column][column];
        for (size_t index = 0; index < size; ++index) {
            matrix[column][index] /= scale;
            inverse[column][index] /= scale;
        }
        for (size_t row = 0; row < size; ++row) {
            double factor = matrix[row][column];
            if (row == column || factor == 0.0)
                continue;
            for (size_t index = 0; index < size; ++index) {
                matrix[row][index] -= factor * matrix[column][index];
                inverse[row][index] -= factor * inverse[column][index];
            }
        }
    }
    return inverse;
}

// Inserts the reference engine's zero back into a vector over the others.
std::vector<double> WithReference(const std::vector<double> &others, size_t reference)
{
    std::vector<double> full(others);
    full.insert(full.begin() + static_cast<long>(reference), 0.0);
    return full;
}

// Newton's method with step halving: the log-likelihood is concave, so each
// accepted step climbs and the iteration ends at the maximum.
std::vector<double> FitStrengths(const Results &results, size_t reference, Matrix &covariance)
{
    std::vector<double> strengths(results.points.size(), 0.0);
    std::vector<double> gradient;
    Matrix information;
    for (int iteration = 0; iteration < 100; ++iteration) {
        Derivatives(results, strengths, reference, gradient, information);
        Matrix inverse = Inverse(information);
        std::vector<double> step(gradient.size(), 0.0);
        for (size_t row = 0; row < step.size(); ++row)
            for (size_t column = 0; column < step.size(); ++column)
                step[row] += inverse[row][column] * gradient[column];
        std::vector<double> fullStep = WithReference(step, reference);
        double before = LogLikelihood(results, strengths);
        std::vector<double> next(strengths);
        for (double fraction = 1.0; fraction > 1e-6; fraction /= 2.0) {
            for (size_t engine = 0; engine < strengths.size(); ++engine)
                next[engine] = strengths[engine] + fraction * fullStep[engine];
            if (LogLikelihood(results, next) >= before)
                break;
        }
        double largest = 0.0;
        for (size_t engine = 0; engine < strengths.size(); ++engine)
            largest = std::max(largest, std::fabs(next[engine] - strengths[engine]));
        strengths = next;
        if (largest < 1e-12)
            break;
    }
    Derivatives(results, strengths, reference, gradient, information);
    covariance = Inverse(information);
    return strengths;
}

// Variance of the contrast sum of weights * strengths, the reference left out.
double ContrastVariance(const Matrix &covariance, const std::vector<double> &weights, size_t reference)
{
    std::vector<double> reduced(weights);
    reduced.erase(reduced.begin() + static_cast<long>(reference));
    double variance = 0.0;
    for (size_t row = 0; row < reduced.size(); ++row)
        for (size_t column = 0; column < reduced.size(); ++column)
            variance += reduced[row] * covariance[row][column] * reduced[column];
    return std::max(variance, 0.0);
}

std::string IntervalText(const Rating &rating)
{
    if (std::isinf(rating.lower) && std::isinf(rating.upper))
        return "n/a";
    if (std::isinf(rating.upper))
        return SignedElo(rating.lower) + " or more";
    if (std::isinf(rating.lower))
        return SignedElo(rating.upper) + " or less";
    if (rating.lower == rating.upper)
        return "anchor";
    return SignedElo(rating.lower) + " to " + SignedElo(rating.upper);
}

}  // namespace

RatingFit FitRatings(const std::vector<std::string> &names, const std::vector<RatedGame> &games,
                     std::optional<int> anchor)
{
    size_t engines = names.size();
    if (engines == 0)
        return {};
    bool anchored = anchor && *anchor >= 0 && static_cast<size_t>(*anchor) < engines;
    size_t reference = anchored ? static_cast<size_t>(*anchor) : 0;
    Results results = Collect(engines, games, 0.0);
    bool priorAdded = engines > 1 && !PlainFitExists(results.taken);
    if (priorAdded)
        results = Collect(engines, games, PRIOR_GAMES);
    Matrix covariance;
    std::vector<double> strengths =
        engines > 1 ? FitStrengths(results, reference, covariance) : std::vector<double>(1, 0.0);
    double mean = 0.0;
    for (double strength : strengths)
        mean += strength / static_cast<double>(engines);
    double center = anchored ? strengths[reference] : mean;

    std::vector<Rating> ratings;
    for (size_t engine = 0; engine < engines; ++engine) {
        std::vector<double> weights(engines, anchored ? 0.0 : -1.0 / static_cast<double>(engines));
        weights[engine] += 1.0;
        if (anchored)
            weights[reference] -= 1.0;
        double margin =
            engines > 1 ? Z95 * ELO_PER_LOG_ODDS * std::sqrt(ContrastVariance(covariance, weights, reference)) : INF;
        double elo = ELO_PER_LOG_ODDS * (strengths[engine] - center);
        Rating rating{names[engine], results.realGames[engine], 0.0, elo, 0.0, 0.0, static_cast<int>(engine)};
        if (rating.games > 0)
            rating.scorePercent = 100.0 * results.realPoints[engine] / rating.games;
        bool isAnchor = anchored && engine == reference;
        bool unbeaten = rating.games > 0 && results.realPoints[engine] == rating.games;
        bool scoreless = rating.games > 0 && results.realPoints[engine] == 0.0;
        // The games bound neither end of an engine without games, nor the
        // open end of a perfect score; the anchor is 0 by definition.
        rating.lower = !isAnchor && (rating.games == 0 || scoreless) ? -INF : rating.elo - margin;
        rating.upper = !isAnchor && (rating.games == 0 || unbeaten) ? INF : rating.elo + margin;
        ratings.push_back(rating);
    }
    std::stable_sort(ratings.begin(), ratings.end(), [](const Rating &a, const Rating &b) { return a.elo > b.elo; });
    return {ratings, priorAdded};
}

std::string FormatRatingTable(const RatingFit &fit)
{
    const std::vector<Rating> &ratings = fit.ratings;
    int nameWidth = 6;
    for (const Rating &rating : ratings)
        nameWidth = std::max(nameWidth, static_cast<int>(rating.name.size()));
    char line[512];
    std::snprintf(line, sizeof line, "Rank  %-*s  Games   Score      Elo  95%% interval\n", nameWidth, "Engine");
    std::string text = line;
    for (size_t rank = 0; rank < ratings.size(); ++rank) {
        const Rating &rating = ratings[rank];
        char score[16] = "n/a";
        if (rating.games > 0)
            std::snprintf(score, sizeof score, "%.1f%%", rating.scorePercent);
        std::snprintf(line, sizeof line, "%4zu  %-*s  %5d  %6s  %7s  %s\n", rank + 1, nameWidth, rating.name.c_str(),
                      rating.games, score, SignedElo(rating.elo).c_str(), IntervalText(rating).c_str());
        text += line;
    }
    if (fit.priorAdded)
        text += "Note: the games alone fit no finite ratings (some engines took every point against the others,\n"
                "or played none), so one drawn game is added between every two engines.\n";
    return text;
}

}  // namespace match::statistics
