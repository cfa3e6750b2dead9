#include <climits>
#include <cmath>
#include <limits>

#include "geometry.h"
#include "position_fixture.h"

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

}  // namespace

TEST(Geometry, InHouseComparesInDoublePrecision)
{
    // (0.4, 4.88) squares to exactly the single-precision 1.975^2, which lies
    // below the double-precision one.
    EXPECT_EQ(3.900624990463257f, SquaredDistance(0.4f, 4.88f, TEE_X, TEE_Y));
    EXPECT_TRUE(InHouse(0.4f, 4.88f));
    EXPECT_TRUE(InHouse(TEE_X, TEE_Y));
    EXPECT_FALSE(InHouse(0.39f, 4.88f));
    EXPECT_FALSE(InHouse(0.0f, 0.0f));
    EXPECT_FALSE(InHouse(NaN, TEE_Y));
}

TEST(Geometry, WithinRadiusIsStrict)
{
    EXPECT_TRUE(WithinRadius(TEE_X + 0.49f, TEE_Y, TEE_X, TEE_Y, 0.5f));
    EXPECT_FALSE(WithinRadius(TEE_X + 0.5f, TEE_Y, TEE_X, TEE_Y, 0.5f));
    EXPECT_FALSE(WithinRadius(TEE_X, TEE_Y, TEE_X, TEE_Y, 0.0f));
    EXPECT_FALSE(WithinRadius(NaN, TEE_Y, TEE_X, TEE_Y, 5.0f));
    EXPECT_EQ(1.4884001016616821f, Square(NEAR_TEE_RADIUS));
}

TEST(Geometry, ThrownStoneCountClampsTheShotIndex)
{
    GameState state = {};
    const int indices[] = {INT_MIN, -1, 0, 7, 16, 17, INT_MAX};
    const int counts[] = {0, 0, 0, 7, 16, 16, 16};
    for (int k = 0; k < 7; ++k) {
        state.shotIndex = indices[k];
        EXPECT_EQ(counts[k], ThrownStoneCount(state)) << "shotIndex " << indices[k];
    }
}

using StoneTests = PositionTest;

TEST_F(StoneTests, OnlyThrownStonesTakePart)
{
    Place(0, TEE_X, TEE_Y);
    Place(2, TEE_X, TEE_Y + 1.0f);
    gameState.shotIndex = 0;
    EXPECT_FALSE(AnyStoneNear(0, TEE_X, TEE_Y, 1.0f));
    EXPECT_FALSE(AnyStoneInLaneAbove(TEE_X, TEE_Y - 0.5f));
    EXPECT_FALSE(AnySideStoneInLaneBelow(0, TEE_X, TEE_Y + 0.5f));

    gameState.shotIndex = 2;  // stone 2 is not thrown yet
    EXPECT_TRUE(AnyStoneNear(0, TEE_X, TEE_Y, 0.1f));
    EXPECT_FALSE(AnyStoneNear(0, TEE_X, TEE_Y + 1.0f, 0.1f));
    EXPECT_FALSE(AnyStoneNear(1, TEE_X, TEE_Y, 0.1f));
}

TEST_F(StoneTests, OutOfRangeShotIndexNeverReadsBeyondStoneFifteen)
{
    Place(15, TEE_X, TEE_Y);
    gameState.shotIndex = INT_MAX;
    EXPECT_TRUE(AnyStoneNear(1, TEE_X, TEE_Y, 0.1f));
    EXPECT_TRUE(AnyStoneInLaneAbove(TEE_X, TEE_Y - 1.0f));
    EXPECT_TRUE(AnySideStoneInLaneBelow(1, TEE_X, TEE_Y + 1.0f));

    gameState.shotIndex = -3;
    EXPECT_FALSE(AnyStoneNear(1, TEE_X, TEE_Y, 0.1f));
    EXPECT_FALSE(AnyStoneInLaneAbove(TEE_X, TEE_Y - 1.0f));
    EXPECT_FALSE(AnySideStoneInLaneBelow(1, TEE_X, TEE_Y + 1.0f));
}

TEST_F(StoneTests, SidesOtherThanZeroOrOneMatchNothing)
{
    Place(0, TEE_X, TEE_Y);
    Place(1, TEE_X, TEE_Y);
    gameState.shotIndex = 2;
    EXPECT_FALSE(AnyStoneNear(-1, TEE_X, TEE_Y, 1.0f));
    EXPECT_FALSE(AnyStoneNear(2, TEE_X, TEE_Y, 1.0f));
    EXPECT_FALSE(AnySideStoneInLaneBelow(-1, TEE_X, TEE_Y + 1.0f));
}

TEST_F(StoneTests, AnyStoneNearIsStrictAtTheRadius)
{
    Place(0, TEE_X + 0.5f, TEE_Y);
    gameState.shotIndex = 1;
    EXPECT_FALSE(AnyStoneNear(0, TEE_X, TEE_Y, 0.5f));
    EXPECT_TRUE(AnyStoneNear(0, TEE_X, TEE_Y, 0.5001f));
    EXPECT_FALSE(AnyStoneNear(0, TEE_X + 0.5f, TEE_Y, 0.0f));
}

TEST_F(StoneTests, LaneEdgesAreExcluded)
{
    const float x = 2.0f;
    const float y = 5.0f;
    gameState.shotIndex = 1;

    Place(0, x - LANE_HALF_WIDTH, y + 1.0f);
    EXPECT_FALSE(AnyStoneInLaneAbove(x, y));
    Place(0, x + LANE_HALF_WIDTH, y + 1.0f);
    EXPECT_FALSE(AnyStoneInLaneAbove(x, y));
    Place(0, x, y + LANE_LENGTH);
    EXPECT_FALSE(AnyStoneInLaneAbove(x, y));
    Place(0, x, y);  // level with the point: in neither lane
    EXPECT_FALSE(AnyStoneInLaneAbove(x, y));
    EXPECT_FALSE(AnySideStoneInLaneBelow(0, x, y));
    Place(0, x + 0.144f, y + 3.65f);
    EXPECT_TRUE(AnyStoneInLaneAbove(x, y));

    Place(0, x, y - LANE_LENGTH);
    EXPECT_FALSE(AnySideStoneInLaneBelow(0, x, y));
    Place(0, x - LANE_HALF_WIDTH, y - 1.0f);
    EXPECT_FALSE(AnySideStoneInLaneBelow(0, x, y));
    Place(0, x - 0.144f, y - 3.65f);
    EXPECT_TRUE(AnySideStoneInLaneBelow(0, x, y));
}

TEST_F(StoneTests, LaneAboveTakesBothSidesLaneBelowOnlyOne)
{
    Place(0, 3.0f, 1.0f);
    Place(1, 3.0f, 6.0f);
    Place(3, 3.0f, 4.0f);
    gameState.shotIndex = 4;
    EXPECT_TRUE(AnyStoneInLaneAbove(3.0f, 5.0f));
    EXPECT_TRUE(AnySideStoneInLaneBelow(1, 3.0f, 5.0f));
    EXPECT_FALSE(AnySideStoneInLaneBelow(0, 3.0f, 5.0f));  // stone 0 lies below the lane
}

TEST_F(StoneTests, OutOfPlayStonesAtTheOriginStillTakePart)
{
    gameState.shotIndex = 1;
    EXPECT_TRUE(AnyStoneNear(0, 0.1f, 0.1f, 0.5f));
    EXPECT_TRUE(AnyStoneInLaneAbove(0.1f, -1.0f));
    EXPECT_FALSE(AnyStoneInLaneAbove(TEE_X, -1.0f));
}

TEST_F(StoneTests, NaNCoordinatesSatisfyNoTest)
{
    Place(0, NaN, TEE_Y);
    Place(2, TEE_X, NaN);
    gameState.shotIndex = 3;
    EXPECT_FALSE(AnyStoneNear(0, TEE_X, TEE_Y, 100.0f));
    EXPECT_FALSE(AnyStoneInLaneAbove(TEE_X, 0.0f));
    EXPECT_FALSE(AnySideStoneInLaneBelow(0, TEE_X, 10.0f));
}
