#include "end_score.h"

#include "house.h"

namespace rules {
namespace {

float StoneTeeDistanceSquared(const GameState &state, int stone)
{
    return TeeDistanceSquared(state.stones[stone][0], state.stones[stone][1]);
}

// The nearest squared distance of one parity, never beyond the reach.
float NearestOfParity(const GameState &state, int parity)
{
    float nearest = HOUSE_REACH_SQUARED;
    for (int stone = parity; stone < TESSIVAL_STONE_COUNT; stone += 2) {
        const float distance = StoneTeeDistanceSquared(state, stone);
        if (distance < nearest)
            nearest = distance;
    }
    return nearest;
}

// Each stone of the holding parity strictly nearer than the other side's
// nearest counts +1 for that parity, -1 for any other side.
int Tally(const GameState &state, int holder, float otherNearest, int side)
{
    const int point = side == holder ? 1 : -1;
    int tally = 0;
    for (int stone = holder; stone < TESSIVAL_STONE_COUNT; stone += 2)
        if (StoneTeeDistanceSquared(state, stone) < otherNearest)
            tally += point;
    return tally;
}

}  // namespace

int EndScore(const GameState &state, int side)
{
    const float nearestEven = NearestOfParity(state, 0);
    const float nearestOdd = NearestOfParity(state, 1);
    if (nearestEven < nearestOdd)
        return Tally(state, 0, nearestOdd, side);
    if (nearestEven > nearestOdd)
        return Tally(state, 1, nearestEven, side);
    return 0;
}

}  // namespace rules
