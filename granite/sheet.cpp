#include "sheet.h"

#include <algorithm>
#include <cmath>

namespace granite {

bool InPlay(const GameState &state, int stone)
{
    const float x = state.stones[stone][0];
    const float y = state.stones[stone][1];
    return std::isfinite(x) && std::isfinite(y) && !(x == 0.0f && y == 0.0f);
}

float TeeDistance(const GameState &state, int stone)
{
    return std::hypot(state.stones[stone][0] - TEE_X, state.stones[stone][1] - TEE_Y);
}

int ShotStone(const GameState &state)
{
    int nearest = -1;
    float nearestDistance = static_cast<float>(HOUSE_REACH);
    for (int stone = 0; stone < STONE_COUNT; ++stone) {
        if (!InPlay(state, stone)) continue;
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
        if (stone >= clean.shotIndex || !InPlay(state, stone)) {
            clean.stones[stone][0] = 0.0f;
            clean.stones[stone][1] = 0.0f;
        }
    }
    return clean;
}

}  // namespace granite
