#include "check/check_positions.h"

#include <initializer_list>
#include <utility>

#include "game/game.h"

namespace match::check {

namespace {

constexpr int LAST_REGULAR_END = 7;
// Extra ends follow the last regular end; a game has three at most.
constexpr int LAST_EXTRA_END = LAST_REGULAR_END + 3;
constexpr int LAST_SHOT = 15;

struct Stone {
    int index;
    float x;
    float y;
};

// Stones not listed stay at (0, 0): not yet thrown, or removed.
GameState Position(int shotIndex, int currentEnd, std::initializer_list<Stone> stones)
{
    GameState state{};
    state.shotIndex = shotIndex;
    state.currentEnd = currentEnd;
    state.lastEnd = LAST_REGULAR_END;
    state.sideFlag = static_cast<uint8_t>(game::SideFlag(shotIndex));
    for (const Stone &stone : stones) {
        state.stones[stone.index][0] = stone.x;
        state.stones[stone.index][1] = stone.y;
    }
    return state;
}

CheckedGo Go(GameState state, protocol::GamePoints points, std::vector<std::string> before = {})
{
    return CheckedGo{std::move(before), state, points};
}

}  // namespace

std::vector<PositionCheck> PositionChecks()
{
    // Metres, the tee at (2.375, 4.88); a stone is in play while 0.145 < x <
    // 4.605 and 2.905 < y < 11.135 (wholly past the hog line).
    return {
        {"opening", "an empty sheet, the first shot of the game", {Go(Position(0, 0, {}), {0, 0})}},
        {"unknown lines",
         "XYZZY 1 2 3 and SCORE 4 1 before GO",
         {Go(Position(2, 1, {{0, 2.3f, 7.9f}, {1, 2.5f, 5.1f}}), {4, 1}, {"XYZZY 1 2 3"})}},
        {"stones in the house",
         "six stones in the house, one on the tee",
         {Go(Position(6, 2,
                      {{0, 2.375f, 4.88f},
                       {1, 2.375f, 5.5f},
                       {2, 1.2f, 4.88f},
                       {3, 3.9f, 4.3f},
                       {4, 2.375f, 3.2f},
                       {5, 2.8f, 6.5f}}),
             {1, 2})}},
        {"odd places",
         "stones at both side lines, at the back line, at the hog line, two frozen together, one removed",
         {Go(Position(8, 5,
                      {{0, 0.15f, 6.0f},
                       {1, 4.6f, 8.0f},
                       {2, 2.0f, 2.91f},
                       {3, 2.375f, 11.13f},
                       {4, 2.375f, 4.88f},
                       {5, 2.375f, 5.17f},
                       {6, 3.0f, 7.5f}}),
             {3, 0})}},
        {"last shot of an end",
         "the sixteenth stone, the hammer's, with stones removed",
         {Go(Position(LAST_SHOT, 6,
                      {{0, 2.2f, 4.5f},
                       {2, 2.6f, 7.0f},
                       {4, 1.7f, 5.6f},
                       {5, 3.1f, 4.2f},
                       {7, 2.4f, 8.9f},
                       {9, 2.375f, 3.6f},
                       {12, 1.9f, 6.9f},
                       {13, 3.4f, 5.3f}}),
             {3, 4})}},
        {"crowded sheet",
         "fifteen stones in play, the last stone of the last regular end, the game tied",
         {Go(Position(LAST_SHOT, LAST_REGULAR_END,
                      {{0, 1.5f, 3.4f},
                       {1, 2.1f, 3.4f},
                       {2, 2.7f, 3.4f},
                       {3, 3.3f, 3.4f},
                       {4, 1.8f, 4.3f},
                       {5, 2.4f, 4.3f},
                       {6, 3.0f, 4.3f},
                       {7, 1.5f, 5.2f},
                       {8, 2.1f, 5.2f},
                       {9, 2.7f, 5.2f},
                       {10, 3.3f, 5.2f},
                       {11, 2.0f, 6.6f},
                       {12, 2.75f, 6.6f},
                       {13, 2.2f, 8.5f},
                       {14, 2.6f, 9.6f}}),
             {2, 2})}},
        {"extra ends",
         "currentEnd beyond lastEnd: the first shot of the first extra end, the last of the third",
         {Go(Position(0, LAST_REGULAR_END + 1, {}), {5, 5}),
          Go(Position(LAST_SHOT, LAST_EXTRA_END, {{1, 2.5f, 4.7f}, {6, 2.2f, 7.4f}, {11, 1.9f, 4.1f}}), {6, 6})}},
    };
}

}  // namespace match::check
