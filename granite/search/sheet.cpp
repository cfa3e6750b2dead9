#include "search/sheet.h"

#include <algorithm>
#include <cmath>

#include "in_play.h"

namespace granite::search {

float TeeDistance(const GameState &state, int stone)
{
    return std::hypot(state.stones[stone][0] - TEE_X, state.stones[stone][1] - TEE_Y);
}

int ShotStone(const GameState &state)
{
    int nearest = -1;
    float nearestDistance = HOUSE_REACH;
    for (int stone = 0; stone < STONE_COUNT; ++stone) {
        if (!rules::InPlay(state, stone))
            continue;
        const float distance = TeeDistance(state, stone);
        if (distance < nearestDistance) {
            nearest = stone;
            nearestDistance = distance;
        }
    }
    return nearest;
}

GameState Sanitized(const GameState &state)
{
    GameState clean = state;
    clean.shotIndex = std::clamp(state.shotIndex, 0, STONE_COUNT - 1);
    for (int stone = 0; stone < STONE_COUNT; ++stone) {
        const bool finite = std::isfinite(state.stones[stone][0]) && std::isfinite(state.stones[stone][1]);
        if (stone >= clean.shotIndex || !finite || !rules::InPlay(state, stone)) {
            clean.stones[stone][0] = 0.0f;
            clean.stones[stone][1] = 0.0f;
        }
    }
    return clean;
}

}  // namespace granite::search
