#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "candidate_trials.h"
#include "game_state.h"
#include "scripted_library.h"

namespace {

class CandidateTrialsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gameState = GameState{};
        gameState.shotIndex = 4;
        scripted::Bind();
    }

    // Runs a trial from start values and returns the shot; scores keeps the sums.
    ShotVector Run(ShotKind kind, float start, std::vector<int> perCandidate)
    {
        for (float &score : scores) {
            score = start;
        }
        scripted::outcome = scripted::ScoreByCandidate(0, std::move(perCandidate));
        return RunCandidateTrials(kind, 2.0f, 5.0f, scores);
    }

    float scores[CANDIDATE_COUNT] = {};
};

constexpr float BASE_LEFT = 2.0f + 0.0725f;
constexpr float BASE_RIGHT = 2.0f - 0.0725f;

struct Aim {
    const char *name;
    float x;
    int spin;
};

void PrintTo(const Aim &printed, std::ostream *stream)
{
    *stream << printed.name;
}

// The six candidates: across the base point, both spins.
const Aim CANDIDATES[] = {{"LeftSpin0", BASE_LEFT, 0}, {"LeftSpin1", BASE_LEFT, 1},   {"BaseSpin0", 2.0f, 0},
                          {"BaseSpin1", 2.0f, 1},      {"RightSpin0", BASE_RIGHT, 0}, {"RightSpin1", BASE_RIGHT, 1}};

class CandidateAimTest : public CandidateTrialsTest, public ::testing::WithParamInterface<Aim> {};

// The scripted library echoes the target in the vector, so the outcome knows
// which candidate was thrown whatever the order of the throws.
TEST_P(CandidateAimTest, TheOneCandidateWhoseThrowsScoreIsPlayed)
{
    const Aim aim = GetParam();
    scripted::outcome = [aim](GameState &state, const ShotVector &shot, int) {
        scripted::ArrangeScore(state, 0, shot.vx == aim.x && shot.spin == aim.spin ? 1 : 0);
    };
    for (float &score : scores) {
        score = 0.0f;
    }
    const ShotVector shot = RunCandidateTrials(DRAW_SHOT, 2.0f, 5.0f, scores);
    EXPECT_EQ(shot.vx, aim.x);
    EXPECT_EQ(shot.vy, 5.0f);
    EXPECT_EQ(shot.spin, aim.spin);
    for (const auto &call : scripted::CallsOf(scripted::SIMULATION)) {
        EXPECT_TRUE(std::any_of(std::begin(CANDIDATES), std::end(CANDIDATES),
                                [&call](const Aim &candidate) {
                                    return call.vector.vx == candidate.x && call.vector.vy == 5.0f &&
                                           call.vector.spin == candidate.spin;
                                }))
            << "a throw at " << call.vector.vx << " spin " << static_cast<int>(call.vector.spin);
    }
}

INSTANTIATE_TEST_SUITE_P(Candidates, CandidateAimTest, ::testing::ValuesIn(CANDIDATES),
                         [](const auto &caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(CandidateTrialsTest, EveryThrowStartsFromAFreshCopyOfTheGlobalPosition)
{
    gameState.stones[1][0] = 2.5f;
    gameState.stones[1][1] = 4.5f;
    gameState.currentEnd = 3;
    gameState.sideFlag = 1;
    const GameState before = gameState;
    Run(HIT_SHOT, 0.0f, {8, -8, 3});
    for (const auto &call : scripted::CallsOf(scripted::SIMULATION)) {
        EXPECT_NE(call.statePointer, &gameState);
        EXPECT_EQ(std::memcmp(&call.state, &before, sizeof before), 0);
        EXPECT_EQ(call.randomError, 0.145f);
        EXPECT_EQ(call.seed, 0u);
        EXPECT_EQ(call.stoneIndex, -1);
    }
    EXPECT_EQ(std::memcmp(&gameState, &before, sizeof before), 0);
}

TEST_F(CandidateTrialsTest, HitsUseThePowerTwelveForEveryBuild)
{
    Run(HIT_SHOT, 0.0f, {0});
    const auto hits = scripted::CallsOf(scripted::CREATE_HIT_SHOT);
    ASSERT_FALSE(hits.empty());
    for (const auto &hit : hits) {
        EXPECT_EQ(hit.power, 12.0f);
    }
    EXPECT_TRUE(scripted::CallsOf(scripted::CREATE_SHOT).empty());
}

TEST_F(CandidateTrialsTest, SumsThirtyQuotientsInSinglePrecision)
{
    Run(DRAW_SHOT, 0.0f, {-8, -7, 1, 0, 8, 3});
    EXPECT_EQ(scores[0], -8.0000029f);
    EXPECT_LT(scores[0], -8.0f);
    EXPECT_EQ(scores[1], -6.99999714f);
    EXPECT_EQ(scores[2], 1.00000036f);
    EXPECT_EQ(scores[3], 0.0f);
    EXPECT_EQ(scores[4], 8.00000286f);
}

TEST_F(CandidateTrialsTest, ScoresFollowTheSideToMoveOfTheGlobalIndex)
{
    gameState.shotIndex = 5;
    for (float &score : scores) {
        score = 0.0f;
    }
    // Side 1 moves: a position where side 1 scores 2 rates +2 for it.
    scripted::outcome = scripted::ScoreByCandidate(1, {2});
    RunCandidateTrials(DRAW_SHOT, 2.0f, 5.0f, scores);
    EXPECT_EQ(scores[0], 2.00000072f);
}

struct PickCase {
    const char *name;
    float start;
    std::vector<int> perCandidate;
    float expectedX;
    int expectedSpin;
};

void PrintTo(const PickCase &printed, std::ostream *stream)
{
    *stream << printed.name;
}

class CandidatePickTest : public CandidateTrialsTest, public ::testing::WithParamInterface<PickCase> {};

TEST_P(CandidatePickTest, ReturnsTheChosenCandidateBuiltOnceMore)
{
    const PickCase &pick = GetParam();
    const ShotVector shot = Run(DRAW_SHOT, pick.start, pick.perCandidate);
    const auto builds = scripted::CallsOf(scripted::CREATE_SHOT);
    EXPECT_EQ(builds.back().target.x, pick.expectedX);
    EXPECT_EQ(builds.back().target.y, 5.0f);
    EXPECT_EQ(builds.back().target.spin, pick.expectedSpin);
    EXPECT_EQ(shot.vx, pick.expectedX);
    EXPECT_EQ(shot.spin, pick.expectedSpin);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CandidatePickTest,
    ::testing::Values(PickCase{"AllEqualPicksCandidateThree", 0.0f, {1, 1, 1, 1, 1, 1}, 2.0f, 1},
                      PickCase{"CandidateTwoBeatsEqualFirstCandidates", 0.0f, {2, 2, 2, 1, 2, 2}, 2.0f, 0},
                      PickCase{"LaterCandidatesNeedStrictlyBetter", 0.0f, {0, 0, 0, 0, 1, 0}, BASE_RIGHT, 0},
                      PickCase{"CandidateFiveStrictlyBest", 0.0f, {0, 0, 0, 0, 0, 1}, BASE_RIGHT, 1},
                      PickCase{"CandidateOneStrictlyBest", 0.0f, {1, 2, 1, 1, 1, 1}, BASE_LEFT, 1},
                      PickCase{
                          "FloorNegativeMeansFallBackToCandidateOne", -8.0f, {-1, -2, -1, -3, -1, -1}, BASE_LEFT, 1},
                      PickCase{"FloorExactlyReachedByCandidateThree", -8.0f, {-1, -1, -1, 0, -1, -1}, 2.0f, 1},
                      PickCase{"ThirtyMinusEightsFallBelowTheFloor", 0.0f, {-8}, BASE_LEFT, 1},
                      PickCase{"OnePositiveCandidateAboveTheFloor", -8.0f, {-1, -1, -1, -1, 1, -1}, BASE_RIGHT, 0}),
    [](const auto &caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(CandidateTrialsTest, NanAccumulatorsNeverWin)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (float &score : scores) {
        score = nan;
    }
    scores[4] = -7.0f;
    scripted::outcome = scripted::ScoreByCandidate(0, {0});
    const ShotVector shot = RunCandidateTrials(DRAW_SHOT, 2.0f, 5.0f, scores);
    EXPECT_TRUE(std::isnan(scores[3]));
    EXPECT_EQ(shot.vx, BASE_RIGHT);
    EXPECT_EQ(shot.spin, 0);

    scores[4] = nan;
    const ShotVector fallback = RunCandidateTrials(DRAW_SHOT, 2.0f, 5.0f, scores);
    EXPECT_EQ(fallback.vx, BASE_LEFT);
    EXPECT_EQ(fallback.spin, 1);
}

TEST_F(CandidateTrialsTest, ReturnsTheSpinByteAsTheLibraryWroteIt)
{
    scripted::spinOffset = 6;
    const ShotVector shot = Run(HIT_SHOT, 0.0f, {0});
    EXPECT_EQ(shot.spin, 7);
}

}  // namespace
