#include "pictures/sheet_drawing.h"

#include "in_play.h"

namespace match::pictures {

using game::EndRecord;
using game::Index;
using game::Letter;
using game::Other;
using game::PathPoint;
using game::PerSide;
using game::ShotRecord;
using game::Side;

namespace {

const char *RING_FILLS[4] = {"#4f8fd6", "#ffffff", "#e0706e", "#ffffff"};

void Line(SvgWriter &svg, double x1, double y1, double x2, double y2, const char *colour, double width)
{
    svg.Element("line", {{"x1", SvgNumber(x1)},
                         {"y1", SvgNumber(y1)},
                         {"x2", SvgNumber(x2)},
                         {"y2", SvgNumber(y2)},
                         {"stroke", colour},
                         {"stroke-width", SvgNumber(width)}});
}

// A line across the sheet at sheet y, when the view shows it.
void CrossLine(SvgWriter &svg, const SheetView &view, double y, const char *colour, double width)
{
    if (y < view.nearY || y > view.farY)
        return;
    Line(svg, view.X(SHEET_WIDTH), view.Y(y), view.X(0.0), view.Y(y), colour, width);
}

}  // namespace

const char *StoneColour(Side side)
{
    return side == Side::A ? "#d62839" : "#f2c12e";
}
const char *PathColour(Side side)
{
    return side == Side::A ? "#a11d2b" : "#b58a0f";
}

void DrawSheet(SvgWriter &svg, const SheetView &view, const std::string &clipId)
{
    svg.Open("clipPath", {{"id", clipId}});
    svg.Element("rect", {{"x", SvgNumber(view.left)},
                         {"y", SvgNumber(view.top)},
                         {"width", SvgNumber(view.Width())},
                         {"height", SvgNumber(view.Height())}});
    svg.Close();
    svg.Element("rect", {{"x", SvgNumber(view.left)},
                         {"y", SvgNumber(view.top)},
                         {"width", SvgNumber(view.Width())},
                         {"height", SvgNumber(view.Height())},
                         {"fill", "#f3f8fc"},
                         {"stroke", "#7a8a99"}});
    svg.Open("g", {{"clip-path", "url(#" + clipId + ")"}});
    for (int ring = 0; ring < 4; ++ring)
        svg.Element("circle", {{"class", "ring"},
                               {"cx", SvgNumber(view.X(HOUSE_CENTRE_X))},
                               {"cy", SvgNumber(view.Y(HOUSE_CENTRE_Y))},
                               {"r", SvgNumber(RING_RADII[ring] * view.scale)},
                               {"fill", RING_FILLS[ring]},
                               {"stroke", "#56606b"},
                               {"stroke-width", "0.5"}});
    Line(svg, view.X(HOUSE_CENTRE_X), view.Y(view.nearY), view.X(HOUSE_CENTRE_X), view.Y(view.farY), "#56606b", 1.0);
    CrossLine(svg, view, HOUSE_CENTRE_Y, "#56606b", 1.0);
    CrossLine(svg, view, BACK_LINE_Y, "#56606b", 1.5);
    CrossLine(svg, view, HOG_LINE_Y, "#b3262f", 3.0);
    svg.Close();
}

void DrawStones(SvgWriter &svg, const SheetView &view, const GameState &position, const EndRecord &end, bool labelled)
{
    Side firstThrower = Other(end.hammer);
    for (int k = 0; k < 16; ++k) {
        const float *stone = position.stones[k];
        if (!rules::InPlay(stone))
            continue;
        Side owner = k % 2 == 0 ? firstThrower : end.hammer;
        double cx = view.X(stone[0]);
        double cy = view.Y(stone[1]);
        svg.Element("circle", {{"class", "stone"},
                               {"data-stone", std::to_string(k)},
                               {"data-engine", std::string(1, Letter(owner))},
                               {"cx", SvgNumber(cx)},
                               {"cy", SvgNumber(cy)},
                               {"r", SvgNumber(STONE_RADIUS * view.scale)},
                               {"fill", StoneColour(owner)},
                               {"stroke", "#333333"},
                               {"stroke-width", "1"}});
        if (labelled)
            svg.Text("text",
                     {{"x", SvgNumber(cx)},
                      {"y", SvgNumber(cy + 3.5)},
                      {"font-size", "10"},
                      {"font-weight", "bold"},
                      {"text-anchor", "middle"},
                      {"fill", owner == Side::A ? "#ffffff" : "#222222"}},
                     std::to_string(k + 1));
    }
}

void DrawPath(SvgWriter &svg, const SheetView &view, const std::vector<PathPoint> &path, Side side,
              const std::string &clipId)
{
    if (path.size() < 2)
        return;
    std::string points;
    for (const PathPoint &point : path)
        points += SvgNumber(view.X(point[0])) + "," + SvgNumber(view.Y(point[1])) + " ";
    points.pop_back();
    svg.Element("polyline", {{"class", "path"},
                             {"points", points},
                             {"fill", "none"},
                             {"stroke", PathColour(side)},
                             {"stroke-width", "1.5"},
                             {"stroke-opacity", "0.75"},
                             {"clip-path", "url(#" + clipId + ")"}});
}

void DrawStartStones(SvgWriter &svg, const SheetView &view, const GameState &start, const EndRecord &end)
{
    svg.Open("g", {{"class", "start-stones"}});
    for (int k = 0; k < 16; ++k) {
        const float *stone = start.stones[k];
        if (!rules::InPlay(stone))
            continue;
        Side owner = k % 2 == 0 ? Other(end.hammer) : end.hammer;
        svg.Element("circle", {{"class", "start-stone"},
                               {"data-stone", std::to_string(k)},
                               {"cx", SvgNumber(view.X(stone[0]))},
                               {"cy", SvgNumber(view.Y(stone[1]))},
                               {"r", SvgNumber(STONE_RADIUS * view.scale)},
                               {"fill", "none"},
                               {"stroke", StoneColour(owner)},
                               {"stroke-width", "2"},
                               {"stroke-dasharray", "4 3"}});
    }
    svg.Close();
}

GameState FinalPosition(const EndRecord &end)
{
    if (end.shots.empty())
        return GameState{};
    const ShotRecord &last = end.shots.back();
    return last.played ? last.resting : last.sent;
}

std::string EndOutcome(const EndRecord &end, const PerSide<std::string> &names)
{
    if (!end.complete)
        return "not finished";
    for (Side side : {Side::A, Side::B}) {
        int points = end.points[static_cast<std::size_t>(Index(side))];
        if (points > 0) {
            std::string who(1, Letter(side));
            const std::string &name = names[static_cast<std::size_t>(Index(side))];
            if (!name.empty())
                who += " " + name;
            return who + " scores " + std::to_string(points);
        }
    }
    return "blank end";
}

}  // namespace match::pictures
