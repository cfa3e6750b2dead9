#include "geometry.h"

#include "game_state.h"

float Square(float v)
{
    return v * v;
}

float SquaredDistance(float ax, float ay, float bx, float by)
{
    const float dx = ax - bx;
    const float dy = ay - by;
    return Square(dx) + Square(dy);
}

int ThrownStoneCount(const GameState &state)
{
    if (state.shotIndex < 0) {
        return 0;
    }
    return state.shotIndex > STONE_COUNT ? STONE_COUNT : state.shotIndex;
}

bool InHouse(float x, float y)
{
    const float squared = SquaredDistance(x, y, TEE_X, TEE_Y);
    return static_cast<double>(squared) < HOUSE_REACH * HOUSE_REACH;
}

bool WithinRadius(float px, float py, float cx, float cy, float r)
{
    return Square(r) > SquaredDistance(px, py, cx, cy);
}

bool AnyStoneNear(int side, float x, float y, float r)
{
    const int count = ThrownStoneCount(gameState);
    for (int i = 0; i < count; ++i) {
        if (i % 2 != side) {
            continue;
        }
        if (WithinRadius(gameState.stones[i][0], gameState.stones[i][1], x, y, r)) {
            return true;
        }
    }
    return false;
}

bool AnyStoneInLaneAbove(float x, float y)
{
    const int count = ThrownStoneCount(gameState);
    const float left = x - LANE_HALF_WIDTH;
    const float right = x + LANE_HALF_WIDTH;
    const float top = y + LANE_LENGTH;
    for (int i = 0; i < count; ++i) {
        const float sx = gameState.stones[i][0];
        const float sy = gameState.stones[i][1];
        if (left < sx && sx < right && y < sy && sy < top) {
            return true;
        }
    }
    return false;
}

bool AnySideStoneInLaneBelow(int side, float x, float y)
{
    // A negative side would start the stride before stone 0: it examines nothing.
    if (side < 0) {
        return false;
    }
    const int count = ThrownStoneCount(gameState);
    const float left = x - LANE_HALF_WIDTH;
    const float right = x + LANE_HALF_WIDTH;
    const float bottom = y - LANE_LENGTH;
    for (int i = side; i < count; i += 2) {
        const float sx = gameState.stones[i][0];
        const float sy = gameState.stones[i][1];
        if (left < sx && sx < right && bottom < sy && sy < y) {
            return true;
        }
    }
    return false;
}
