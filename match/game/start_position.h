#pragma once

#include <array>
#include <optional>
#include <string>

#include "game/side.h"
#include "tessival.h"

namespace match::game {

// A state a game can start from instead of the empty sheet of its first end.
// Sides 0 and 1 are the position's own; a game says which engine plays side 0.
struct StartPosition {
    std::string name;
    int line = 1;                    // its line in the positions file, counting from 1
    int end = 0;                     // counts from 0
    int shot = 0;                    // the next stone to throw, 0..15
    std::array<int, 2> score{0, 0};  // points of side 0 and side 1 so far
    int hammer = 0;                  // the side holding the hammer in end
    float stones[TESSIVAL_STONE_COUNT][2] = {};

    bool operator==(const StartPosition &) const = default;
};

// A position as a game plays it: side0 is the engine playing its side 0.
struct GameStart {
    StartPosition position;
    Side side0 = Side::A;

    // The engine playing the position's side 0 or 1.
    Side EngineOf(int side) const { return side == 0 ? side0 : Other(side0); }
    Side Hammer() const { return EngineOf(position.hammer); }
    // The points A and B have before the first shot.
    PerSide<int> Points() const
    {
        PerSide<int> points{0, 0};
        points[static_cast<std::size_t>(Index(side0))] = position.score[0];
        points[static_cast<std::size_t>(Index(Other(side0)))] = position.score[1];
        return points;
    }
};

// The stones of end endIndex before its first recorded shot: the start's in
// the end a game started in, the empty sheet otherwise.
inline GameState EndOpening(const std::optional<GameStart> &start, int endIndex)
{
    GameState state{};
    if (!start || start->position.end != endIndex)
        return state;
    for (int k = 0; k < TESSIVAL_STONE_COUNT; ++k) {
        state.stones[k][0] = start->position.stones[k][0];
        state.stones[k][1] = start->position.stones[k][1];
    }
    state.shotIndex = start->position.shot;
    return state;
}

}  // namespace match::game
