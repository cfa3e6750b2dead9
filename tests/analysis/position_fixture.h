#pragma once

#include <gtest/gtest.h>

#include "game_state.h"

// Clears the global position before each case and places stones in it.
class PositionTest : public ::testing::Test {
protected:
    void SetUp() override { gameState = GameState{}; }

    static void Place(int stone, float x, float y)
    {
        gameState.stones[stone][0] = x;
        gameState.stones[stone][1] = y;
    }
};
