#include "statistics/end_statistics.h"

#include <algorithm>
#include <cstdio>

namespace match::statistics {

namespace {

bool Known(int engine, size_t engines)
{
    return engine >= 0 && static_cast<size_t>(engine) < engines;
}

bool Blank(const EndTally &end)
{
    return end.hammerPoints == 0 && end.otherPoints == 0;
}

void CountHammer(EndStatistics &stats, const EndTally &end)
{
    ++stats.ends;
    ++stats.hammerEnds;
    if (Blank(end)) {
        ++stats.blankEnds;
        return;
    }
    ++stats.hammerNonBlank;
    if (end.hammerPoints >= 2)
        ++stats.hammerScoredTwoPlus;
}

void CountWithoutHammer(EndStatistics &stats, const EndTally &end)
{
    ++stats.ends;
    ++stats.stealEnds;
    if (end.otherPoints > 0)
        ++stats.steals;
    if (Blank(end))
        return;
    ++stats.forcedEnds;
    if (end.hammerPoints <= 1)
        ++stats.forceHeld;
}

// "hammer 12/30 40.0%", or "n/a" for the share of no ends.
std::string Share(const char *label, int count, int of)
{
    char text[64];
    if (of == 0)
        std::snprintf(text, sizeof text, "%s %d/%d n/a", label, count, of);
    else
        std::snprintf(text, sizeof text, "%s %d/%d %.1f%%", label, count, of, 100.0 * count / of);
    return text;
}

std::vector<std::string> Row(const EndStatistics &engine)
{
    return {engine.name, Share("hammer", engine.hammerScoredTwoPlus, engine.hammerNonBlank),
            Share("force", engine.forceHeld, engine.forcedEnds), Share("steal", engine.steals, engine.stealEnds),
            Share("blank", engine.blankEnds, engine.hammerEnds)};
}

}  // namespace

std::vector<EndStatistics> TallyEnds(const std::vector<std::string> &names, const std::vector<EndTally> &ends)
{
    std::vector<EndStatistics> stats;
    for (const std::string &name : names)
        stats.push_back({name, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    for (const EndTally &end : ends) {
        if (!Known(end.hammer, names.size()) || !Known(end.other, names.size()) || end.hammer == end.other)
            continue;
        CountHammer(stats[static_cast<size_t>(end.hammer)], end);
        CountWithoutHammer(stats[static_cast<size_t>(end.other)], end);
    }
    return stats;
}

EndStatistics AllEnds(const std::vector<EndStatistics> &stats)
{
    EndStatistics all{};
    all.name = "all ends";
    for (const EndStatistics &engine : stats) {
        all.hammerEnds += engine.hammerEnds;
        all.hammerScoredTwoPlus += engine.hammerScoredTwoPlus;
        all.hammerNonBlank += engine.hammerNonBlank;
        all.forcedEnds += engine.forcedEnds;
        all.forceHeld += engine.forceHeld;
        all.stealEnds += engine.stealEnds;
        all.steals += engine.steals;
        all.blankEnds += engine.blankEnds;
    }
    all.ends = all.hammerEnds;
    return all;
}

std::string FormatEndStatistics(const std::vector<EndStatistics> &stats)
{
    std::vector<std::vector<std::string>> rows;
    for (const EndStatistics &engine : stats)
        rows.push_back(Row(engine));
    rows.push_back(Row(AllEnds(stats)));
    std::vector<size_t> widths(5, 0);
    for (const auto &row : rows)
        for (size_t column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], row[column].size());
    std::string text = "Ends (hammer: 2+ with it, of non-blank; force: held it to 1 or a steal, of non-blank; "
                       "steal: scored without it; blank: of ends with it)\n";
    for (const auto &row : rows) {
        std::string line = row[0];
        for (size_t column = 1; column < row.size(); ++column)
            line += std::string(widths[column - 1] - row[column - 1].size() + 2, ' ') + row[column];
        text += line + "\n";
    }
    return text;
}

}  // namespace match::statistics
