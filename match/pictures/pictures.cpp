#include "pictures/pictures.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "game/line_score.h"
#include "pictures/sheet_drawing.h"

namespace match::pictures {

using game::EndRecord;
using game::FormatResult;
using game::FormatStart;
using game::GameRecord;
using game::Index;
using game::Letter;
using game::PerSide;
using game::ShotRecord;
using game::Side;
using game::StonePath;

namespace {

constexpr double MARGIN = 12.0;

constexpr double END_SCALE = 64.0;
constexpr double END_HEADER = 78.0;
constexpr double START_LINE = 16.0;  // the header's line naming a start position

// The overview panels: the house and the guard area in front of it.
constexpr double PANEL_SCALE = 30.0;
constexpr double PANEL_NEAR_Y = 2.6;
constexpr double PANEL_FAR_Y = 8.4;
constexpr double PANEL_GAP = 14.0;
constexpr double CELL_WIDTH = 38.0;
constexpr double ROW_HEIGHT = 22.0;

std::string EndTitle(const GameRecord &game, const EndRecord &end)
{
    std::string label = end.index < game.regularEnds ? "end " + std::to_string(end.index + 1)
                                                     : "extra end " + std::to_string(end.index - game.regularEnds + 1);
    return "Game " + std::to_string(game.number) + ", " + label;
}

std::string EngineLine(const PerSide<std::string> &names, Side hammer)
{
    return "A " + names[0] + " (red), B " + names[1] + " (yellow); hammer " + std::string(1, Letter(hammer));
}

std::string ScoreCell(const EndRecord &end, Side side)
{
    if (!end.complete)
        return "-";
    return std::to_string(end.points[static_cast<std::size_t>(Index(side))]) + (end.hammer == side ? "*" : "");
}

void WriteFile(const std::string &path, const std::string &content)
{
    std::ofstream file(path);
    file << content;
    file.close();
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

// Under the line score: the result, and where a game from a start position began.
std::string Footnote(const GameRecord &game, const PerSide<std::string> &names)
{
    std::string footnote = "* hammer. " + FormatResult(game, names);
    return game.start ? footnote + ". S: started " + FormatStart(game) : footnote;
}

void LineScoreTable(SvgWriter &svg, const GameRecord &game, const PerSide<std::string> &names, double top,
                    double labelWidth)
{
    // A game from a start position has the points it started with in a first column.
    const std::size_t first = game.start ? 1 : 0;
    auto cellX = [&](std::size_t column) {
        return MARGIN + labelWidth + CELL_WIDTH * (static_cast<double>(column + first) + 0.5);
    };
    auto startX = [&] { return MARGIN + labelWidth + CELL_WIDTH * 0.5; };
    auto row = [&](int line) { return top + ROW_HEIGHT * line; };
    svg.Open("g", {{"class", "line-score"}, {"font-size", "13"}});
    svg.Text("text", {{"x", SvgNumber(MARGIN)}, {"y", SvgNumber(row(0))}, {"font-weight", "bold"}}, "End");
    for (std::size_t column = 0; column < game.ends.size(); ++column) {
        const EndRecord &end = game.ends[column];
        std::string label = end.index < game.regularEnds ? std::to_string(end.index + 1)
                                                         : "X" + std::to_string(end.index - game.regularEnds + 1);
        svg.Text("text",
                 {{"x", SvgNumber(cellX(column))},
                  {"y", SvgNumber(row(0))},
                  {"text-anchor", "middle"},
                  {"font-weight", "bold"}},
                 label);
    }
    if (game.start)
        svg.Text(
            "text",
            {{"x", SvgNumber(startX())}, {"y", SvgNumber(row(0))}, {"text-anchor", "middle"}, {"font-weight", "bold"}},
            "S");
    std::size_t totalColumn = game.ends.size();
    svg.Text("text",
             {{"x", SvgNumber(cellX(totalColumn) + 6)},
              {"y", SvgNumber(row(0))},
              {"text-anchor", "middle"},
              {"font-weight", "bold"}},
             "Total");
    for (Side side : {Side::A, Side::B}) {
        int line = 1 + Index(side);
        svg.Element("circle", {{"cx", SvgNumber(MARGIN + 6)},
                               {"cy", SvgNumber(row(line) - 4.5)},
                               {"r", "6"},
                               {"fill", StoneColour(side)},
                               {"stroke", "#333333"}});
        svg.Text("text", {{"x", SvgNumber(MARGIN + 18)}, {"y", SvgNumber(row(line))}},
                 std::string(1, Letter(side)) + " " + names[static_cast<std::size_t>(Index(side))]);
        if (game.start)
            svg.Text("text", {{"x", SvgNumber(startX())}, {"y", SvgNumber(row(line))}, {"text-anchor", "middle"}},
                     std::to_string(game.start->Points()[static_cast<std::size_t>(Index(side))]));
        for (std::size_t column = 0; column < game.ends.size(); ++column)
            svg.Text("text", {{"x", SvgNumber(cellX(column))}, {"y", SvgNumber(row(line))}, {"text-anchor", "middle"}},
                     ScoreCell(game.ends[column], side));
        svg.Text("text",
                 {{"x", SvgNumber(cellX(totalColumn) + 6)},
                  {"y", SvgNumber(row(line))},
                  {"text-anchor", "middle"},
                  {"font-weight", "bold"}},
                 std::to_string(game.totals[static_cast<std::size_t>(Index(side))]));
    }
    svg.Text("text", {{"x", SvgNumber(MARGIN)}, {"y", SvgNumber(row(3))}, {"font-size", "12"}}, Footnote(game, names));
    svg.Close();
}

}  // namespace

std::string EndPicture(const GameRecord &game, const EndRecord &end, const PerSide<std::string> &names)
{
    // The end a start position opens names it on a line of its own.
    const bool opened = game.start && end.index == game.start->position.end;
    const double header = END_HEADER + (opened ? START_LINE : 0.0);
    SheetView view{END_SCALE, MARGIN, header, PLAYING_END_NEAR_Y, PLAYING_END_FAR_Y};
    SvgWriter svg(view.Width() + 2 * MARGIN, header + view.Height() + MARGIN);
    svg.Text("title", {}, EndTitle(game, end) + ": " + EndOutcome(end, names));
    svg.Text("text", {{"x", SvgNumber(MARGIN)}, {"y", "22"}, {"font-size", "15"}, {"font-weight", "bold"}},
             EndTitle(game, end));
    svg.Text("text", {{"x", SvgNumber(MARGIN)}, {"y", "42"}, {"font-size", "13"}}, EndOutcome(end, names));
    svg.Text("text", {{"x", SvgNumber(MARGIN)}, {"y", "62"}, {"font-size", "10"}}, EngineLine(names, end.hammer));
    if (opened)
        svg.Text("text", {{"x", SvgNumber(MARGIN)}, {"y", "78"}, {"font-size", "10"}},
                 "Dashed: the start, \"" + game.start->position.name + "\"");
    DrawSheet(svg, view, "sheet");
    if (opened)
        DrawStartStones(svg, view, game::EndOpening(game.start, end.index), end);
    for (const ShotRecord &shot : end.shots)
        if (const StonePath *thrown = shot.trace.PathOf(shot.shotIndex))
            DrawPath(svg, view, thrown->points, shot.engine, "sheet");
    DrawStones(svg, view, FinalPosition(end), end, true);
    return svg.Finish();
}

std::string OverviewPicture(const GameRecord &game, const PerSide<std::string> &names)
{
    constexpr double LABEL_WIDTH = 170.0;
    double panelWidth = SHEET_WIDTH * PANEL_SCALE;
    double tableWidth = LABEL_WIDTH + CELL_WIDTH * static_cast<double>(game.ends.size() + (game.start ? 3 : 2));
    double panelsWidth = (panelWidth + PANEL_GAP) * static_cast<double>(game.ends.size()) - PANEL_GAP;
    // About 6.5 pixels a character of the 12-pixel footnote.
    double footnoteWidth = game.start ? 6.5 * static_cast<double>(Footnote(game, names).size()) : 0.0;
    double width = 2 * MARGIN + std::max({tableWidth, panelsWidth, 420.0, footnoteWidth});
    double panelTop = MARGIN + 28 + ROW_HEIGHT * 4 + 30;
    double panelHeight = (PANEL_FAR_Y - PANEL_NEAR_Y) * PANEL_SCALE;
    double height = panelTop + panelHeight + 40 + MARGIN;

    SvgWriter svg(width, height);
    std::string title = "Game " + std::to_string(game.number) + ": A " + names[0] + " vs B " + names[1];
    svg.Text("title", {}, title);
    svg.Element("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "#ffffff"}});
    svg.Text("text",
             {{"x", SvgNumber(MARGIN)}, {"y", SvgNumber(MARGIN + 16)}, {"font-size", "17"}, {"font-weight", "bold"}},
             title);
    LineScoreTable(svg, game, names, MARGIN + 28 + ROW_HEIGHT, LABEL_WIDTH);

    for (std::size_t column = 0; column < game.ends.size(); ++column) {
        const EndRecord &end = game.ends[column];
        double left = MARGIN + (panelWidth + PANEL_GAP) * static_cast<double>(column);
        SheetView view{PANEL_SCALE, left, panelTop, PANEL_NEAR_Y, PANEL_FAR_Y};
        std::string clipId = "end" + std::to_string(end.index + 1);
        svg.Open("g", {{"class", "end"}, {"id", clipId + "-panel"}});
        svg.Text("text",
                 {{"x", SvgNumber(left + panelWidth / 2)},
                  {"y", SvgNumber(panelTop - 6)},
                  {"font-size", "12"},
                  {"text-anchor", "middle"},
                  {"font-weight", "bold"}},
                 end.index < game.regularEnds ? "End " + std::to_string(end.index + 1)
                                              : "Extra end " + std::to_string(end.index - game.regularEnds + 1));
        DrawSheet(svg, view, clipId);
        DrawStones(svg, view, FinalPosition(end), end, false);
        svg.Text("text",
                 {{"x", SvgNumber(left + panelWidth / 2)},
                  {"y", SvgNumber(panelTop + panelHeight + 16)},
                  {"font-size", "11"},
                  {"text-anchor", "middle"}},
                 EndOutcome(end, {std::string(), std::string()}));
        svg.Close();
    }
    return svg.Finish();
}

void WriteGamePictures(const GameRecord &game, const PerSide<std::string> &names, const std::string &directory)
{
    std::string prefix = directory + "/game" + std::to_string(game.number);
    for (const EndRecord &end : game.ends) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "-end%02d.svg", end.index + 1);
        WriteFile(prefix + suffix, EndPicture(game, end, names));
    }
    WriteFile(prefix + "-overview.svg", OverviewPicture(game, names));
}

}  // namespace match::pictures
