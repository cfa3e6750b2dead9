#pragma once

#include <string>
#include <vector>

#include "game/game_record.h"
#include "pictures/svg_writer.h"
#include "tessival.h"

namespace match::pictures {

// Sheet geometry in metres: the very constants the physics library plays on.
constexpr double BACK_LINE_Y = TESSIVAL_BACK_LINE_Y;
constexpr double HOG_LINE_Y = TESSIVAL_HOG_LINE_Y;
constexpr double SHEET_WIDTH = TESSIVAL_SHEET_WIDTH;
constexpr double STONE_RADIUS = TESSIVAL_STONE_RADIUS;
constexpr double HOUSE_CENTRE_X = TESSIVAL_TEE_X;
constexpr double HOUSE_CENTRE_Y = TESSIVAL_TEE_Y;
// 12-foot, 8-foot and 4-foot rings and the button.
constexpr double RING_RADII[4] = {TESSIVAL_HOUSE_RADIUS, 1.22, 0.61, 0.15};
// The playing end as a picture of an end shows it: from just behind the back
// line to beyond the hog line.
constexpr double PLAYING_END_NEAR_Y = 2.45;
constexpr double PLAYING_END_FAR_Y = 11.9;

// A stretch of the playing end drawn to scale, seen from the thrower: the
// house at the top, stones travelling up the picture, the thrower's right
// (toward smaller x) on the right.
struct SheetView {
    double scale;  // pixels per metre
    double left;   // pixel column of the side line x = SHEET_WIDTH
    double top;    // pixel row of sheet y = nearY
    double nearY;  // sheet y at the top edge
    double farY;   // sheet y at the bottom edge

    double X(double x) const { return left + (SHEET_WIDTH - x) * scale; }
    double Y(double y) const { return top + (y - nearY) * scale; }
    double Width() const { return SHEET_WIDTH * scale; }
    double Height() const { return (farY - nearY) * scale; }
};

// Stone colours by engine.
const char *StoneColour(game::Side side);
const char *PathColour(game::Side side);

// Ice, rings, centre, tee, back and hog lines; defines a clip path clipId
// for what is drawn on the sheet.
void DrawSheet(SvgWriter &svg, const SheetView &view, const std::string &clipId);

// Every stone in play of a position; stone k numbered k + 1 when labelled.
void DrawStones(SvgWriter &svg, const SheetView &view, const GameState &position, const game::EndRecord &end,
                bool labelled);

// Where the stones of a start position lay before the first shot of end: a
// dashed ring in the owner's colour for each stone in play.
void DrawStartStones(SvgWriter &svg, const SheetView &view, const GameState &start, const game::EndRecord &end);

void DrawPath(SvgWriter &svg, const SheetView &view, const std::vector<game::PathPoint> &path, game::Side side,
              const std::string &clipId);

// The position the end finished in (or was left in by a forfeit).
GameState FinalPosition(const game::EndRecord &end);

// "B pebble scores 2" ("B scores 2" with empty names), "blank end", "not finished".
std::string EndOutcome(const game::EndRecord &end, const game::PerSide<std::string> &names);

}  // namespace match::pictures
