#include "end_evaluation.h"

#include "geometry.h"

namespace {

float TeeDistanceSquared(const GameState &state, int stone)
{
    return SquaredDistance(state.stones[stone][0], state.stones[stone][1], TEE_X, TEE_Y);
}

// The nearest squared distance of one parity, never beyond the reach.
float NearestOfParity(const GameState &state, int parity, float reachSquared)
{
    float nearest = reachSquared;
    for (int stone = parity; stone < STONE_COUNT; stone += 2) {
        const float distance = TeeDistanceSquared(state, stone);
        if (distance < nearest) {
            nearest = distance;
        }
    }
    return nearest;
}

// Each stone of the holding parity strictly nearer than the other side's
// nearest counts +1 for that parity, -1 for any other side.
int Tally(const GameState &state, int holder, float otherNearest, int side)
{
    const int point = side == holder ? 1 : -1;
    int tally = 0;
    for (int stone = holder; stone < STONE_COUNT; stone += 2) {
        if (TeeDistanceSquared(state, stone) < otherNearest) {
            tally += point;
        }
    }
    return tally;
}

}  // namespace

int EvaluateEnd(const GameState &state, int side)
{
    const float reachSquared = Square(static_cast<float>(HOUSE_REACH));
    const float nearestEven = NearestOfParity(state, 0, reachSquared);
    const float nearestOdd = NearestOfParity(state, 1, reachSquared);
    if (nearestEven < nearestOdd) {
        return Tally(state, 0, nearestOdd, side);
    }
    if (nearestEven > nearestOdd) {
        return Tally(state, 1, nearestEven, side);
    }
    return 0;
}
