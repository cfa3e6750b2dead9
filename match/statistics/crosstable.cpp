#include "statistics/crosstable.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

namespace match::statistics {

namespace {

bool Known(int engine, int engines)
{
    return engine >= 0 && engine < engines;
}

// "3-1-0 75.0%" from the row engine's side.
std::string Cell(const PairResult &pair, bool rowIsFirst)
{
    int wins = rowIsFirst ? pair.wins : pair.losses;
    int losses = rowIsFirst ? pair.losses : pair.wins;
    double points = rowIsFirst ? pair.Points() : pair.Games() - pair.Points();
    char text[64];
    std::snprintf(text, sizeof text, "%d-%d-%d %.1f%%", wins, losses, pair.draws, 100.0 * points / pair.Games());
    return text;
}

std::string Padded(const std::string &text, std::size_t width)
{
    return text + std::string(width - text.size(), ' ');
}

}  // namespace

std::vector<PairResult> TallyPairs(int engines, const std::vector<RatedGame> &games)
{
    std::map<std::pair<int, int>, PairResult> pairs;
    for (const RatedGame &game : games) {
        if (!Known(game.first, engines) || !Known(game.second, engines) || game.first == game.second)
            continue;
        bool ordered = game.first < game.second;
        auto key = ordered ? std::pair{game.first, game.second} : std::pair{game.second, game.first};
        PairResult &pair = pairs.try_emplace(key, PairResult{key.first, key.second}).first->second;
        double firstScore = ordered ? game.firstScore : 1.0 - game.firstScore;
        if (firstScore == 0.5)
            ++pair.draws;
        else if (firstScore > 0.5)
            ++pair.wins;
        else
            ++pair.losses;
    }
    std::vector<PairResult> results;
    for (const auto &[key, pair] : pairs)
        results.push_back(pair);
    return results;
}

std::string FormatCrosstable(const std::vector<std::string> &names, const std::vector<int> &ranking,
                             const std::vector<PairResult> &pairs)
{
    std::map<std::pair<int, int>, std::string> cells;
    for (const PairResult &pair : pairs) {
        cells[{pair.first, pair.second}] = Cell(pair, true);
        cells[{pair.second, pair.first}] = Cell(pair, false);
    }
    std::vector<std::vector<std::string>> rows{{""}};
    for (int column : ranking)
        rows[0].push_back(names[static_cast<std::size_t>(column)]);
    for (int row : ranking) {
        rows.push_back({names[static_cast<std::size_t>(row)]});
        for (int column : ranking) {
            auto cell = cells.find({row, column});
            rows.back().push_back(row == column ? "x" : cell == cells.end() ? "." : cell->second);
        }
    }
    std::vector<std::size_t> widths(rows[0].size(), 0);
    for (const auto &row : rows)
        for (std::size_t column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], row[column].size());
    std::string text = "Crosstable (W-L-D and score of each row's engine against each column's)\n";
    for (const auto &row : rows) {
        std::string line;
        for (std::size_t column = 0; column < row.size(); ++column)
            line += column + 1 < row.size() ? Padded(row[column], widths[column] + 2) : row[column];
        text += line + "\n";
    }
    return text;
}

}  // namespace match::statistics
