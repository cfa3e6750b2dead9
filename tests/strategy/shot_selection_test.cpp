#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "game_state.h"
#include "scripted_library.h"
#include "shot_selection.h"

namespace {

constexpr float STEP = 0.0725f;

class ShotSelectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gameState = GameState{};
        scripted::Bind();
    }

    static void Place(int stone, float x, float y)
    {
        gameState.stones[stone][0] = x;
        gameState.stones[stone][1] = y;
    }

    // The one trial that ran: every throw is one of the six candidates around
    // (x, y) (the scripted library echoes targets in vectors), built as kind.
    static void ExpectTrial(scripted::CallKind kind, float x, float y)
    {
        const auto throws = scripted::CallsOf(scripted::SIMULATION);
        ASSERT_FALSE(throws.empty());
        for (const auto &call : throws) {
            EXPECT_EQ(call.vector.vy, y);
            EXPECT_TRUE(call.vector.vx == x + STEP || call.vector.vx == x || call.vector.vx == x - STEP)
                << call.vector.vx;
        }
        EXPECT_FALSE(scripted::CallsOf(kind).empty());
        const auto other =
            scripted::CallsOf(kind == scripted::CREATE_SHOT ? scripted::CREATE_HIT_SHOT : scripted::CREATE_SHOT);
        EXPECT_TRUE(other.empty());
    }

    // One trial of some kind: every throw shares one y and lies within two
    // steps across.
    static void ExpectOneTrial()
    {
        const auto throws = scripted::CallsOf(scripted::SIMULATION);
        ASSERT_FALSE(throws.empty());
        float least = throws.front().vector.vx;
        float most = least;
        for (const auto &call : throws) {
            EXPECT_EQ(call.vector.vy, throws.front().vector.vy);
            least = std::min(least, call.vector.vx);
            most = std::max(most, call.vector.vx);
        }
        EXPECT_LE(most - least, 2.0f * STEP + 1e-6f);
    }

    static void EveryThrowScores(int side, int score) { scripted::outcome = scripted::ScoreByCandidate(side, {score}); }
};

TEST_F(ShotSelectionTest, FirstShotDrawsAroundTheTee)
{
    const ShotVector shot = ChooseShot();
    ExpectTrial(scripted::CREATE_SHOT, 2.375f, 4.88f);
    const auto draws = scripted::CallsOf(scripted::CREATE_SHOT);
    EXPECT_EQ(draws[0].target.x, 2.375f + STEP);
    EXPECT_EQ(draws[4].target.x, 2.375f - STEP);
    // Nothing happens on the sheet: all candidates tie and candidate 3 plays.
    EXPECT_EQ(shot.vx, 2.375f);
    EXPECT_EQ(shot.spin, 1);
}

TEST_F(ShotSelectionTest, EvenShotHitsAnOpposingStoneNearTheTeeFromTheFloor)
{
    gameState.shotIndex = 4;
    Place(1, 2.375f, 5.88f);  // 1.0 from the tee
    Place(0, 2.375f, 8.0f);
    EveryThrowScores(0, -1);
    const ShotVector shot = ChooseShot();
    ExpectTrial(scripted::CREATE_HIT_SHOT, 2.375f, 5.88f);
    // Accumulators from -8: negative means fall back to candidate 1.
    EXPECT_EQ(shot.vx, 2.375f + STEP);
    EXPECT_EQ(shot.spin, 1);
}

TEST_F(ShotSelectionTest, FurtherOpposingStoneInTheHouseIsHitInPassBFromZero)
{
    gameState.shotIndex = 4;
    Place(1, 2.375f, 6.38f);  // 1.5 from the tee
    EveryThrowScores(0, -1);
    const ShotVector shot = ChooseShot();
    ExpectTrial(scripted::CREATE_HIT_SHOT, 2.375f, 6.38f);
    // Accumulators from 0: equal negative means still reach the floor.
    EXPECT_EQ(shot.vx, 2.375f);
    EXPECT_EQ(shot.spin, 1);
}

TEST_F(ShotSelectionTest, OddShotNeverRunsPassA)
{
    gameState.shotIndex = 3;
    Place(0, 2.375f, 5.38f);  // the other side's, 0.5 from the tee
    EveryThrowScores(1, -1);
    const ShotVector shot = ChooseShot();
    ExpectTrial(scripted::CREATE_HIT_SHOT, 2.375f, 5.38f);
    EXPECT_EQ(shot.vx, 2.375f);
}

TEST_F(ShotSelectionTest, PassAPassesOverAnOwnStoneToHitTheNextNearTheTee)
{
    gameState.shotIndex = 2;
    Place(0, 2.375f, 4.98f);  // own, nearest
    Place(1, 2.0f, 4.88f);    // the other side's, 0.375 off
    EveryThrowScores(0, 1);
    ChooseShot();
    ExpectTrial(scripted::CREATE_HIT_SHOT, 2.0f, 4.88f);
}

TEST_F(ShotSelectionTest, OpposingStoneOutsideTheHouseIsNotHit)
{
    gameState.shotIndex = 2;
    Place(1, 2.375f, 6.9f);  // 2.02 from the tee
    ChooseShot();
    ExpectTrial(scripted::CREATE_SHOT, 2.375f, 4.88f);
}

TEST_F(ShotSelectionTest, OwnStoneNearTheTeeWithClearLanesIsGuarded)
{
    gameState.shotIndex = 5;
    Place(1, 2.5f, 5.3f);
    Place(0, 2.375f, 9.5f);  // further from the tee, out of the lane above
    ChooseShot();
    ExpectTrial(scripted::CREATE_SHOT, 2.5f, 5.3f + 1.5f);
    const auto draws = scripted::CallsOf(scripted::CREATE_SHOT);
    EXPECT_EQ(draws[0].target.x, 2.5f + STEP);
    EXPECT_EQ(draws[5].target.x, 2.5f - STEP);
}

TEST_F(ShotSelectionTest, AStoneInTheLaneAboveStopsTheGuardAndTheNextRankIsHit)
{
    gameState.shotIndex = 5;
    Place(1, 2.375f, 4.9f);  // own, nearest
    Place(2, 2.4f, 7.0f);    // either side's stone in the lane above
    Place(0, 1.0f, 5.0f);    // the other side's, in the house further out
    ChooseShot();
    ExpectTrial(scripted::CREATE_HIT_SHOT, 1.0f, 5.0f);
}

TEST_F(ShotSelectionTest, AnOwnStoneInTheLaneBelowStopsTheGuard)
{
    gameState.shotIndex = 5;
    Place(1, 2.375f, 5.5f);  // own, nearest
    Place(3, 2.4f, 3.0f);    // own, in the lane below
    ChooseShot();
    // Stone 3 lies far from the tee and stone 1 0.62 from the tee spot: the
    // default draw aims at the tee.
    ExpectTrial(scripted::CREATE_SHOT, 2.375f, 4.88f);
}

TEST_F(ShotSelectionTest, AnOpposingStoneInTheLaneBelowDoesNotStopTheGuard)
{
    gameState.shotIndex = 5;
    Place(1, 2.375f, 4.9f);  // own, nearest
    Place(0, 2.4f, 3.0f);    // the other side's, in the lane below
    ChooseShot();
    ExpectTrial(scripted::CREATE_SHOT, 2.375f, 4.9f + 1.5f);
}

struct SpotCase {
    const char *name;
    std::vector<std::pair<float, float>> ownStones;
    float expectedX;
};

void PrintTo(const SpotCase &printed, std::ostream *stream)
{
    *stream << printed.name;
}

class DefaultDrawTest : public ShotSelectionTest, public ::testing::WithParamInterface<SpotCase> {};

TEST_P(DefaultDrawTest, DrawsToTheFirstFreeSpot)
{
    // Shot 8, side 0 to move. Each own stone has a stone of the other side in
    // its lane above, outside the house, so neither pass applies.
    gameState.shotIndex = 8;
    int stone = 0;
    for (const auto &[x, y] : GetParam().ownStones) {
        Place(stone, x, y);
        Place(stone + 1, x, 7.5f);
        stone += 2;
    }
    ChooseShot();
    ExpectTrial(scripted::CREATE_SHOT, GetParam().expectedX, 4.88f);
}

INSTANTIATE_TEST_SUITE_P(Spots, DefaultDrawTest,
                         ::testing::Values(SpotCase{"AllFree", {}, 2.375f},
                                           SpotCase{"TeeTaken", {{2.375f, 4.5f}}, 1.46f},
                                           SpotCase{"TeeAndLeftTaken", {{2.375f, 4.5f}, {1.46f, 5.2f}}, 3.29f},
                                           SpotCase{"AllTaken", {{2.375f, 4.5f}, {1.46f, 5.2f}, {3.29f, 4.6f}}, 2.375f},
                                           SpotCase{"ExactlyHalfAMetreLeavesTheSpotFree", {{2.375f, 4.38f}}, 2.375f}),
                         [](const auto &caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(ShotSelectionTest, LastStoneTakesTheSearchResultWithoutATrial)
{
    gameState.shotIndex = 15;
    Place(1, 2.375f, 5.0f);
    scripted::outcome = [](GameState &copy, const ShotVector &shot, int) {
        scripted::ArrangeScore(copy, 1, shot.vx == 2.375f && shot.vy == 5.0f ? 3 : 0);
    };
    scripted::spinOffset = 4;
    const ShotVector shot = ChooseShot();
    // No trial afterwards: nothing was thrown half a stone beside stone 1.
    for (const auto &call : scripted::CallsOf(scripted::SIMULATION)) {
        EXPECT_FALSE(call.vector.vy == 5.0f && call.vector.vx != 2.375f) << call.vector.vx;
    }
    EXPECT_EQ(shot.vx, 2.375f);
    EXPECT_EQ(shot.vy, 5.0f);
    EXPECT_EQ(shot.spin, 4);  // hit on stone 1, spin 0, as the library wrote it
    EXPECT_EQ(scripted::calls.back().kind, scripted::CREATE_HIT_SHOT);
    const auto hits = scripted::CallsOf(scripted::CREATE_HIT_SHOT);
    EXPECT_EQ(hits.back().power, 12.0f);
    EXPECT_EQ(scripted::CallsOf(scripted::SIMULATION).front().randomError, 0.145f);
}

TEST_F(ShotSelectionTest, LastStoneFallsBackWhenTheSearchFindsNothing)
{
    gameState.shotIndex = 15;
    Place(0, 2.375f, 6.38f);  // the other side's, in the house
    EveryThrowScores(1, -8);
    const ShotVector shot = ChooseShot();
    // Pass B hits stone 0 from 0.0 after the search (which never aims beside a
    // stone); thirty -8/30 fall below the floor, so candidate 1 plays.
    const auto hits = scripted::CallsOf(scripted::CREATE_HIT_SHOT);
    EXPECT_EQ(hits.back().target.x, 2.375f + STEP);
    EXPECT_EQ(hits.back().target.y, 6.38f);
    EXPECT_EQ(shot.vx, 2.375f + STEP);
    EXPECT_EQ(shot.spin, 1);
}

TEST_F(ShotSelectionTest, TheGlobalPositionIsNeverChanged)
{
    gameState.shotIndex = 6;
    Place(1, 2.3f, 4.9f);
    gameState.lastEnd = 9;
    const GameState before = gameState;
    scripted::outcome = [](GameState &copy, const ShotVector &, int) { scripted::ArrangeScore(copy, 0, 5); };
    ChooseShot();
    EXPECT_EQ(std::memcmp(&gameState, &before, sizeof before), 0);
}

TEST_F(ShotSelectionTest, ShotIndicesOutsideTheEndAnswerOneShot)
{
    for (int shotIndex : {-1, -2, 16, 17, 100, INT_MAX, INT_MIN}) {
        scripted::Bind();
        gameState = GameState{};
        gameState.shotIndex = shotIndex;
        for (int stone = 0; stone < 16; ++stone) {
            Place(stone, 0.5f + 0.25f * static_cast<float>(stone), 6.0f);
        }
        SCOPED_TRACE(shotIndex);
        ChooseShot();
        ExpectOneTrial();
    }
}

TEST_F(ShotSelectionTest, AboveSixteenTheSixteenStonesAreRanked)
{
    gameState.shotIndex = INT_MAX;  // odd: pass B over all sixteen stones
    Place(15, 2.375f, 5.0f);        // own for side 1
    Place(14, 2.375f, 5.2f);        // the other side's, in the house
    ChooseShot();
    // The own stone at rank 0 has stone 14 in its lane above: no guard, and
    // stone 14 is hit.
    ExpectTrial(scripted::CREATE_HIT_SHOT, 2.375f, 5.2f);
}

}  // namespace
