// Each rule of a throw on its own: the lines, the hog line, the guard rule, the index.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "throw_fixture.h"

namespace {

TEST(SideLines, AStoneTouchingASideLineIsRemoved)
{
    EXPECT_FALSE(Removed(Played(EmptyState(15), Draw(0.16f, 6.0f, 0), 15), 15));
    EXPECT_TRUE(Removed(Played(EmptyState(15), Draw(0.13f, 6.0f, 0), 15), 15));
    EXPECT_FALSE(Removed(Played(EmptyState(15), Draw(4.59f, 6.0f, 1), 15), 15));
    EXPECT_TRUE(Removed(Played(EmptyState(15), Draw(4.62f, 6.0f, 1), 15), 15));
    // Out over the line and curling back in is still out.
    EXPECT_TRUE(Removed(Played(EmptyState(15), Draw(0.155f, 6.0f, 1), 15), 15));
}

TEST(BackLine, AStoneWhollyBehindTheBackLineIsRemoved)
{
    EXPECT_FALSE(Removed(Played(EmptyState(15), Draw(2.375f, 2.915f, 0), 15), 15));
    EXPECT_TRUE(Removed(Played(EmptyState(15), Draw(2.375f, 2.895f, 0), 15), 15));
}

TEST(BackLine, AStoneGoingBackPastTheReleaseIsRemoved)
{
    EXPECT_TRUE(Removed(Played(EmptyState(15), ShotVector{0.0f, 0.5f, 0}, 15), 15));
    GameState state = EmptyState(15);
    Place(state, 0, 2.375f, 30.0f);
    const GameState played = Played(state, ShotVector{0.0f, -1.0f, 0}, 15);
    EXPECT_FALSE(Removed(played, 0));  // struck from the front, it is pushed down the sheet
}

TEST(HogLine, AStoneShortOfTheHogLineIsRemovedUnlessItTouched)
{
    EXPECT_FALSE(Removed(Played(EmptyState(15), Draw(2.375f, 11.1f, 0), 15), 15));
    EXPECT_TRUE(Removed(Played(EmptyState(15), Draw(2.375f, 11.2f, 0), 15), 15));
    EXPECT_TRUE(Removed(Played(EmptyState(15), ShotVector{0.0f, 0.0f, 0}, 15), 15));
    GameState state = EmptyState(15);
    Place(state, 0, 2.375f, 11.0f);
    const GameState played = Played(state, Draw(2.375f, 11.0f, 0), 15);
    ASSERT_FALSE(Removed(played, 15));
    EXPECT_GT(played.stones[15][1], 11.135f);
    EXPECT_LT(played.stones[0][1], 11.0f);
}

GameState GuardPosition(int delivered, int guard)
{
    GameState state = EmptyState(delivered);
    Place(state, guard, 2.375f, 8.0f);
    Place(state, 3, 1.0f, 4.88f);
    return state;
}

// The delivered stone takes the guard out of play.
GameState GuardsTakenOut(int delivered, int guard)
{
    return Played(GuardPosition(delivered, guard), Hit(2.375f, 8.0f, 0, 12.0f), -1);
}

TEST(FreeGuardZone, TakingOutAnOpposingGuardUpToStoneFourPutsItBack)
{
    const GameState before = GuardPosition(4, 1);
    const GameState played = GuardsTakenOut(4, 1);
    EXPECT_TRUE(Removed(played, 4));
    EXPECT_EQ(std::memcmp(played.stones[1], before.stones[1], sizeof(float) * 2), 0);
    EXPECT_EQ(std::memcmp(played.stones[3], before.stones[3], sizeof(float) * 2), 0);
    EXPECT_EQ(played.shotIndex, 5);
}

TEST(FreeGuardZone, FromStoneFiveOrOnOwnGuardsTheTakeoutStands)
{
    EXPECT_TRUE(Removed(GuardsTakenOut(5, 2), 2));  // stone 5 removes side 0's guard
    EXPECT_TRUE(Removed(GuardsTakenOut(4, 2), 2));  // the thrower's own guard
    EXPECT_FALSE(Removed(GuardsTakenOut(4, 2), 4));
}

TEST(FreeGuardZone, AStoneOverTheHouseIsNoGuard)
{
    GameState state = EmptyState(2);
    Place(state, 1, 2.375f, 6.8f);  // 1.92 from the tee: part of it over the house
    const GameState played = Played(state, Hit(2.375f, 6.8f, 0, 12.0f), -1);
    EXPECT_TRUE(Removed(played, 1));
    EXPECT_FALSE(Removed(played, 2));
}

TEST(ShotIndex, BecomesTheDeliveredStonePlusOneAndNothingElseChanges)
{
    GameState state = EmptyState(2);
    state.currentEnd = 3;
    state.lastEnd = 9;
    state.endScores[4] = -2;
    state.sideFlag = 1;
    GameState played = Played(state, Draw(2.375f, 4.88f, 0), 7);
    EXPECT_EQ(played.shotIndex, 8);
    EXPECT_FALSE(Removed(played, 7));
    played.shotIndex = state.shotIndex;
    std::memcpy(played.stones, state.stones, sizeof state.stones);
    EXPECT_TRUE(SameBytes(played, state));
    EXPECT_EQ(Played(EmptyState(2), Draw(2.375f, 4.88f, 0), -1).shotIndex, 3);
}

TEST(StartOfThrow, StonesOffTheSheetAreRemovedAndOutOfPlayStonesKeptAsGiven)
{
    GameState state = EmptyState(15);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Place(state, 0, nan, 5.0f);
    Place(state, 1, 0.1f, 5.0f);     // touching the side line
    Place(state, 2, 2.0f, 2.9f);     // wholly behind the back line
    Place(state, 3, 2.0f, 33.227f);  // at the release
    Place(state, 4, -0.0f, 0.0f);    // out of play
    Place(state, 5, 3.0f, 7.0f);     // in play
    const GameState played = Played(state, Draw(1.5f, 4.0f, 1), 15);
    for (int k = 0; k < 4; ++k)
        EXPECT_TRUE(Removed(played, k)) << k;
    EXPECT_TRUE(std::signbit(played.stones[4][0]));
    EXPECT_EQ(std::memcmp(played.stones[5], state.stones[5], sizeof(float) * 2), 0);
}

}  // namespace
