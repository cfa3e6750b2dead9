#pragma once

#include "tessival.h"

// Fifteen stones in and around the house, both sides mixed, as before the last
// stone of an end; shotIndex is left to the caller.
inline void PlaceCrowdedHouse(GameState &state)
{
    static const float stones[15][2] = {{2.375f, 4.88f}, {2.10f, 5.05f}, {2.70f, 4.70f}, {2.40f, 5.60f},
                                        {1.80f, 4.40f},  {3.00f, 5.20f}, {2.20f, 6.40f}, {2.55f, 7.30f},
                                        {1.50f, 5.90f},  {3.30f, 4.10f}, {2.00f, 3.70f}, {2.90f, 6.10f},
                                        {2.375f, 8.50f}, {1.20f, 4.90f}, {3.60f, 5.50f}};
    for (int stone = 0; stone < 15; ++stone) {
        state.stones[stone][0] = stones[stone][0];
        state.stones[stone][1] = stones[stone][1];
    }
    state.stones[15][0] = 0.0f;
    state.stones[15][1] = 0.0f;
}
