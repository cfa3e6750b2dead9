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
};

// Maximum-likelihood logistic ratings (Bradley-Terry, a draw counting as
// half a win to each side) from every game, with one virtual drawn game
// between every two engines so that the fit stays finite when an engine won
// or lost every game. Anchored so the mean is 0 or the anchor engine is 0;
// the intervals come from the inverse Fisher information of the fit.
// Sorted best first.
std::vector<Rating> FitRatings(const std::vector<std::string> &names, const std::vector<RatedGame> &games,
                               std::optional<int> anchor);

// A plain text table: rank, engine, games, score %, Elo, 95% interval.
std::string FormatRatingTable(const std::vector<Rating> &ratings);

}  // namespace match::statistics
