#include <limits>

#include "geometry.h"
#include "position_fixture.h"
#include "stone_ranking.h"

using StoneRanking = PositionTest;

namespace {

struct Ranked {
    int side;
    float x;
    float y;
};

Ranked Rank(int rank)
{
    float position[2] = {-1.0f, -1.0f};
    const int side = RankStone(rank, position);
    return {side, position[0], position[1]};
}

}  // namespace

TEST_F(StoneRanking, NoStoneAtAPlaceGivesMinusOneAndTheOrigin)
{
    Place(0, TEE_X, TEE_Y);
    gameState.shotIndex = 0;
    const Ranked none = Rank(0);
    EXPECT_EQ(-1, none.side);
    EXPECT_EQ(0.0f, none.x);
    EXPECT_EQ(0.0f, none.y);

    Place(1, TEE_X, TEE_Y + 1.0f);
    Place(2, TEE_X, TEE_Y + 2.0f);
    gameState.shotIndex = 3;
    EXPECT_EQ(-1, Rank(3).side);
    EXPECT_EQ(-1, Rank(-1).side);
    EXPECT_EQ(-1, Rank(16).side);
}

TEST_F(StoneRanking, EitherCoordinateZeroIsOutOfPlay)
{
    Place(0, 0.0f, 5.0f);
    Place(1, 2.0f, 0.0f);
    Place(2, TEE_X, TEE_Y + 1.0f);
    gameState.shotIndex = 3;
    const Ranked first = Rank(0);
    EXPECT_EQ(0, first.side);
    EXPECT_EQ(TEE_Y + 1.0f, first.y);
    EXPECT_EQ(-1, Rank(1).side);
}

TEST_F(StoneRanking, UnthrownStonesAreNeverRanked)
{
    Place(0, TEE_X, TEE_Y + 1.0f);
    Place(1, TEE_X, TEE_Y);
    gameState.shotIndex = 1;
    EXPECT_EQ(TEE_Y + 1.0f, Rank(0).y);
    EXPECT_EQ(-1, Rank(1).side);
}

TEST_F(StoneRanking, EqualDistancesKeepTheLowerIndexFirst)
{
    Place(0, TEE_X, TEE_Y + 1.0f);
    Place(1, TEE_X + 0.5f, TEE_Y);
    Place(2, TEE_X, TEE_Y);
    Place(3, TEE_X - 0.5f, TEE_Y);
    gameState.shotIndex = 4;
    const Ranked first = Rank(0);
    const Ranked second = Rank(1);
    const Ranked third = Rank(2);
    EXPECT_EQ(0, first.side);
    EXPECT_EQ(TEE_Y, first.y);
    EXPECT_EQ(1, second.side);
    EXPECT_EQ(TEE_X + 0.5f, second.x);
    EXPECT_EQ(1, third.side);
    EXPECT_EQ(TEE_X - 0.5f, third.x);
    EXPECT_EQ(0, Rank(3).side);
}

TEST_F(StoneRanking, DuplicatedCoordinatesReportTheLowerIndexSide)
{
    Place(1, 2.0f, 5.0f);
    Place(2, 2.0f, 5.0f);
    gameState.shotIndex = 3;
    EXPECT_EQ(1, Rank(0).side);
    EXPECT_EQ(1, Rank(1).side);
    EXPECT_EQ(2.0f, Rank(1).x);
}

TEST_F(StoneRanking, FifteenStonesThrownFromFarToNear)
{
    for (int stone = 0; stone < 15; ++stone) {
        Place(stone, TEE_X, TEE_Y + 0.1f * static_cast<float>(15 - stone));
    }
    gameState.shotIndex = 15;
    for (int place = 0; place < 15; ++place) {
        const int stone = 14 - place;
        const Ranked ranked = Rank(place);
        EXPECT_EQ(stone % 2, ranked.side) << "place " << place;
        EXPECT_EQ(gameState.stones[stone][1], ranked.y) << "place " << place;
    }
    EXPECT_EQ(-1, Rank(15).side);
}

TEST_F(StoneRanking, SixteenStonesAtAnOversizedShotIndex)
{
    for (int stone = 0; stone < 16; ++stone) {
        Place(stone, TEE_X + 0.01f * static_cast<float>(stone), TEE_Y);
    }
    gameState.shotIndex = 1000;
    EXPECT_EQ(0, Rank(0).side);
    const Ranked last = Rank(15);
    EXPECT_EQ(1, last.side);
    EXPECT_EQ(gameState.stones[15][0], last.x);
}

TEST_F(StoneRanking, NaNStonesAreListedButHaveNoSide)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Place(0, nan, TEE_Y);
    Place(1, TEE_X, TEE_Y + 1.0f);
    gameState.shotIndex = 2;
    EXPECT_EQ(-1, Rank(0).side);
    EXPECT_EQ(1, Rank(1).side);
}
