#include <gtest/gtest.h>

#include <limits>

#include "end_evaluation.h"
#include "geometry.h"

namespace {

class EndEvaluation : public ::testing::Test {
protected:
    GameState state = {};

    void Place(int stone, float x, float y)
    {
        state.stones[stone][0] = x;
        state.stones[stone][1] = y;
    }

    void ExpectScore(int forEven)
    {
        EXPECT_EQ(forEven, EvaluateEnd(state, 0));
        EXPECT_EQ(-forEven, EvaluateEnd(state, 1));
    }
};

}  // namespace

TEST_F(EndEvaluation, EmptySheetScoresNothing)
{
    ExpectScore(0);
}

TEST_F(EndEvaluation, NearestSideScoresStonesInsideTheOthersNearest)
{
    Place(0, TEE_X, TEE_Y + 0.1f);
    Place(2, TEE_X, TEE_Y + 0.5f);
    Place(4, TEE_X, TEE_Y + 1.5f);
    Place(1, TEE_X, TEE_Y + 1.0f);
    ExpectScore(2);
}

TEST_F(EndEvaluation, AllSixteenStonesCountWhateverTheShotIndex)
{
    Place(15, TEE_X, TEE_Y);
    state.shotIndex = 0;
    ExpectScore(-1);
}

TEST_F(EndEvaluation, ASideAloneInTheHouseScoresEveryStoneWithinReach)
{
    Place(1, TEE_X, TEE_Y + 0.2f);
    Place(3, TEE_X + 1.0f, TEE_Y);
    Place(5, TEE_X, TEE_Y - 1.9f);
    Place(7, TEE_X, TEE_Y + 2.0f);  // beyond the reach
    ExpectScore(-3);

    for (int stone = 0; stone < 16; stone += 2) {
        Place(stone, TEE_X + 0.1f * static_cast<float>(stone), TEE_Y);
    }
    for (int stone = 1; stone < 16; stone += 2) {
        Place(stone, 0.0f, 0.0f);
    }
    ExpectScore(8);
}

TEST_F(EndEvaluation, EqualNearestDistancesScoreNothing)
{
    Place(0, TEE_X - 0.5f, TEE_Y);
    Place(1, TEE_X + 0.5f, TEE_Y);
    Place(2, TEE_X, TEE_Y + 0.7f);
    Place(4, TEE_X, TEE_Y - 0.8f);
    ExpectScore(0);
}

TEST_F(EndEvaluation, AStoneLevelWithTheOthersNearestDoesNotScore)
{
    Place(0, TEE_X, TEE_Y);
    Place(2, TEE_X + 0.5f, TEE_Y);
    Place(1, TEE_X - 0.5f, TEE_Y);
    ExpectScore(1);
}

TEST_F(EndEvaluation, ALoneStoneExactlyAtTheReachDoesNotScore)
{
    Place(0, 0.4f, 4.88f);
    ExpectScore(0);
    Place(0, 0.41f, 4.88f);
    ExpectScore(1);
}

TEST_F(EndEvaluation, NaNStonesNeverCount)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Place(0, nan, TEE_Y);
    Place(2, TEE_X, nan);
    Place(1, TEE_X, TEE_Y + 1.0f);
    ExpectScore(-1);
}

TEST_F(EndEvaluation, AnyOtherSideLosesEveryPoint)
{
    Place(0, TEE_X, TEE_Y);
    Place(2, TEE_X, TEE_Y + 0.3f);
    EXPECT_EQ(-2, EvaluateEnd(state, 2));
    EXPECT_EQ(-2, EvaluateEnd(state, -1));
}
