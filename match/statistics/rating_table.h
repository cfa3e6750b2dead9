#pragma once

#include <optional>
#include <string>
#include <vector>

namespace match::statistics {

// One game for the rating fit: engine indices and the first engine's score.
struct RatedGame {
    int first;
    int second;
    double firstScore;  // 1, 0.5 or 0
};

// An engine's rating with its 95% interval. An end is infinite where the
// games do not bound it: the upper end of an engine that won every game, the
// lower end of one that lost every game, both ends of one without games.
struct Rating {
    std::string name;
    int games;
    double scorePercent;
    double elo;
    double lower;
    double upper;
    int engine;  // the engine's place in the names fitted
};

// The ratings sorted best first, and whether the fit needed its prior.
struct RatingFit {
    std::vector<Rating> ratings;
    bool priorAdded = false;
};

// Maximum-likelihood logistic ratings (Bradley-Terry, a draw counting as
// half a win to each side) from the games alone. That fit has no finite
// maximum when the engines split into two groups one of which took every
// point between them (an engine won or lost every game, or has none): then
// one drawn game is added between every two engines, and priorAdded says so.
// Anchored so the mean is 0 or the anchor engine is 0; the intervals come
// from the inverse Fisher information of the fit.
RatingFit FitRatings(const std::vector<std::string> &names, const std::vector<RatedGame> &games,
                     std::optional<int> anchor);

// A plain text table: rank, engine, games, score %, Elo, 95% interval; a
// note under it when the prior was added.
std::string FormatRatingTable(const RatingFit &fit);

}  // namespace match::statistics
