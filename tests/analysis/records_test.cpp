#include <gtest/gtest.h>

#include <cstring>

#include "game_state.h"

TEST(Records, GameStateBytesAreLaidOutForTheLibrary)
{
    GameState state = {};
    state.shotIndex = 0x01020304;
    state.sideFlag = 1;
    state.stones[0][0] = 1.5f;
    state.stones[15][1] = -2.0f;
    unsigned char bytes[sizeof state];
    std::memcpy(bytes, &state, sizeof state);

    ASSERT_EQ(184u, sizeof bytes);
    EXPECT_EQ(0x04, bytes[0]);  // little-endian
    EXPECT_EQ(1, bytes[52]);
    float x0 = 0.0f;
    std::memcpy(&x0, bytes + 56, sizeof x0);
    EXPECT_EQ(1.5f, x0);
    float y15 = 0.0f;
    std::memcpy(&y15, bytes + 56 + 8 * 15 + 4, sizeof y15);
    EXPECT_EQ(-2.0f, y15);
}

TEST(Records, ShotRecordsAreTwelveBytesWithSpinAtEight)
{
    ShotTarget target = {};
    target.spin = 1;
    ShotVector vector = {};
    vector.spin = 1;
    unsigned char bytes[12];
    std::memcpy(bytes, &target, sizeof bytes);
    EXPECT_EQ(1, bytes[8]);
    std::memcpy(bytes, &vector, sizeof bytes);
    EXPECT_EQ(1, bytes[8]);
    EXPECT_EQ(12u, sizeof(ShotTarget));
    EXPECT_EQ(12u, sizeof(ShotVector));
}
