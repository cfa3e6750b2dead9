#include "game/line_score.h"

#include <algorithm>
#include <cstdio>

namespace match::game {

namespace {

constexpr int CELL_WIDTH = 4;

std::string Pad(const std::string &text, std::size_t width, bool right)
{
    if (text.size() >= width)
        return text;
    std::string padding(width - text.size(), ' ');
    return right ? padding + text : text + padding;
}

std::string EndLabel(const GameRecord &game, const EndRecord &end)
{
    if (end.index < game.regularEnds)
        return std::to_string(end.index + 1);
    return "X" + std::to_string(end.index - game.regularEnds + 1);
}

std::string Cell(const EndRecord &end, Side side)
{
    std::string text = end.complete ? std::to_string(end.points[static_cast<std::size_t>(Index(side))]) : "-";
    return text + (end.hammer == side ? "*" : " ");
}

// The start's column: the points each side began with.
std::string StartCell(const GameRecord &game, Side side)
{
    return game.start ? Pad(std::to_string(game.start->Points()[static_cast<std::size_t>(Index(side))]) + " ",
                            CELL_WIDTH, true)
                      : "";
}

}  // namespace

std::string FormatStart(const GameRecord &game)
{
    if (!game.start)
        return "";
    const StartPosition &position = game.start->position;
    PerSide<int> points = game.start->Points();
    return "from \"" + position.name + "\" (line " + std::to_string(position.line) + "): end " +
           std::to_string(position.end + 1) + " with stone " + std::to_string(position.shot + 1) + " to throw, A " +
           std::to_string(points[0]) + " - B " + std::to_string(points[1]) + ", hammer " +
           std::string(1, Letter(game.start->Hammer()));
}

std::string EngineLabel(Side side, const PerSide<std::string> &names)
{
    std::string label(1, Letter(side));
    label += ' ';
    label += names[static_cast<std::size_t>(Index(side))];
    return label;
}

std::string FormatLineScore(const GameRecord &game, const PerSide<std::string> &names)
{
    PerSide<std::string> labels = {EngineLabel(Side::A, names), EngineLabel(Side::B, names)};
    std::size_t labelWidth = std::max({labels[0].size(), labels[1].size(), std::string("End").size()});

    std::string header = Pad("End", labelWidth, false) + " |" + (game.start ? Pad("S ", CELL_WIDTH, true) : "");
    for (const EndRecord &end : game.ends)
        header += Pad(EndLabel(game, end) + " ", CELL_WIDTH, true);
    header += " | Total\n";

    std::string rows;
    for (Side side : {Side::A, Side::B}) {
        std::string row =
            Pad(labels[static_cast<std::size_t>(Index(side))], labelWidth, false) + " |" + StartCell(game, side);
        for (const EndRecord &end : game.ends)
            row += Pad(Cell(end, side), CELL_WIDTH, true);
        row += " | " + Pad(std::to_string(game.totals[static_cast<std::size_t>(Index(side))]), 5, true) + "\n";
        rows += row;
    }
    std::string start = game.start ? "(S: " + FormatStart(game) + ")\n" : "";
    return header + rows + "(* hammer)  " + FormatResult(game, names) + "\n" + start;
}

std::string FormatResult(const GameRecord &game, const PerSide<std::string> &names)
{
    auto label = [&](Side side) { return EngineLabel(side, names); };
    // The winner's points first, as results are usually given.
    bool bFirst = game.winner == Side::B;
    std::string score = std::to_string(game.totals[bFirst ? 1 : 0]) + "-" + std::to_string(game.totals[bFirst ? 0 : 1]);
    if (game.forfeit)
        return label(game.forfeit->engine) + " " + game.forfeit->Verb() + (game.forfeit->onTime ? " on time, " : ", ") +
               label(Other(game.forfeit->engine)) + " wins (" + score + " when it ended)";
    if (!game.winner)
        return "draw " + score;
    int extra = static_cast<int>(game.ends.size()) - game.regularEnds;
    std::string after = extra > 0 ? " after " + std::to_string(extra) + " extra end" + (extra > 1 ? "s" : "") : "";
    return label(*game.winner) + " wins " + score + after;
}

}  // namespace match::game
