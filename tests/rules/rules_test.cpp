// The rules at their edges: where one float more or less changes the answer.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "end_score.h"
#include "free_guard_zone.h"
#include "house.h"
#include "in_play.h"

namespace {

constexpr float NOT_A_NUMBER = std::numeric_limits<float>::quiet_NaN();

GameState Empty()
{
    GameState state{};
    state.shotIndex = 16;
    return state;
}

void Place(GameState &state, int stone, float x, float y)
{
    state.stones[stone][0] = x;
    state.stones[stone][1] = y;
}

// The even side's score, checked to be the odd side's negated.
int EvenScore(const GameState &state)
{
    const int even = rules::EndScore(state, 0);
    EXPECT_EQ(rules::EndScore(state, 1), -even);
    return even;
}

TEST(InPlay, OutExactlyWhenBothCoordinatesAreZero)
{
    const float out[][2] = {{0.0f, 0.0f}, {-0.0f, 0.0f}, {0.0f, -0.0f}};
    for (const auto &stone : out)
        EXPECT_FALSE(rules::InPlay(stone));
    const float in[][2] = {
        {0.0f, 1e-45f}, {1e-45f, 0.0f}, {NOT_A_NUMBER, 0.0f}, {0.0f, NOT_A_NUMBER}, {-1000.0f, 0.0f}};
    for (const auto &stone : in)
        EXPECT_TRUE(rules::InPlay(stone));
}

// x = 0.4f lies exactly at the reach as single precision rounds it, although
// in double precision it is nearer the tee than 1.975.
TEST(House, AStoneExactlyAtTheReachIsOutAndScoresNothing)
{
    const float atReach = 0.4f;
    const float inside = std::nextafter(atReach, 1.0f);
    ASSERT_EQ(rules::TeeDistanceSquared(atReach, rules::TEE_Y), rules::HOUSE_REACH_SQUARED);
    EXPECT_FALSE(rules::InHouse(atReach, rules::TEE_Y));
    EXPECT_TRUE(rules::InHouse(inside, rules::TEE_Y));

    GameState state = Empty();
    Place(state, 3, atReach, rules::TEE_Y);
    EXPECT_EQ(EvenScore(state), 0);
    Place(state, 3, inside, rules::TEE_Y);
    EXPECT_EQ(EvenScore(state), -1);
}

TEST(House, NaNIsNeverInTheHouse)
{
    EXPECT_FALSE(rules::InHouse(NOT_A_NUMBER, rules::TEE_Y));
    EXPECT_FALSE(rules::InHouse(rules::TEE_X, NOT_A_NUMBER));
}

TEST(EndScore, EquallyNearNearestStonesScoreNothingForEitherSide)
{
    GameState state = Empty();
    Place(state, 0, rules::TEE_X - 0.3f, rules::TEE_Y);
    Place(state, 1, rules::TEE_X + 0.3f, rules::TEE_Y);
    Place(state, 2, rules::TEE_X, rules::TEE_Y + 0.5f);
    EXPECT_EQ(EvenScore(state), 0);
    // A stone level with the other side's nearest does not count either.
    Place(state, 0, rules::TEE_X, rules::TEE_Y);
    EXPECT_EQ(EvenScore(state), 1);
}

TEST(EndScore, NaNAndOutOfPlayStonesNeitherScoreNorBlock)
{
    GameState state = Empty();
    Place(state, 14, rules::TEE_X, rules::TEE_Y + 1.0f);
    Place(state, 1, NOT_A_NUMBER, rules::TEE_Y);
    Place(state, 3, rules::TEE_X, NOT_A_NUMBER);
    Place(state, 5, 0.0f, 0.0f);
    EXPECT_EQ(EvenScore(state), 1);
    // Every stone read, whatever the shot index says.
    state.shotIndex = 0;
    EXPECT_EQ(EvenScore(state), 1);
}

// The zone is tested in double precision: 4.88f lies above 4.88 and 11.28f
// below 11.28, so both are in it.
TEST(FreeGuardZone, ItsEdgesAreTheDoublePrecisionLines)
{
    const float wide = 0.2f;  // far enough from the tee at any height
    const float inside[][2] = {{wide, 4.88f}, {rules::TEE_X, 11.28f}, {std::nextafter(0.4f, 0.0f), 4.88f}};
    for (const auto &stone : inside)
        EXPECT_TRUE(rules::InFreeGuardZone(stone)) << stone[0] << ", " << stone[1];
    const float outside[][2] = {{wide, std::nextafter(4.88f, 0.0f)},
                                {rules::TEE_X, std::nextafter(11.28f, 20.0f)},
                                {0.4f, 4.88f},  // 1.97499999 from the tee: over the house
                                {NOT_A_NUMBER, 6.0f},
                                {wide, NOT_A_NUMBER}};
    for (const auto &stone : outside)
        EXPECT_FALSE(rules::InFreeGuardZone(stone)) << stone[0] << ", " << stone[1];
}

TEST(FreeGuardZone, TheFirstFiveStonesMayNotRemoveTheOtherSidesGuards)
{
    EXPECT_TRUE(rules::FreeGuardZoneProtects(0, 1));
    EXPECT_TRUE(rules::FreeGuardZoneProtects(3, 0));
    EXPECT_TRUE(rules::FreeGuardZoneProtects(4, 3));
    EXPECT_FALSE(rules::FreeGuardZoneProtects(4, 2));  // its own side's guard
    EXPECT_FALSE(rules::FreeGuardZoneProtects(5, 0));  // the sixth stone
    EXPECT_FALSE(rules::FreeGuardZoneProtects(5, 2));
}

}  // namespace
