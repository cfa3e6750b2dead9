// granite's play-outs with the real library: the end is played to its last
// stone, the last stone looks ahead for its own side, and a hammer side that
// keeps the house clean rolls out of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <optional>
#include <vector>

#include "end_score.h"
#include "search/rollout.h"
#include "search/sheet.h"

namespace granite::search {
namespace {

GameState Empty(int shotIndex)
{
    GameState state;
    std::memset(&state, 0, sizeof state);
    state.shotIndex = shotIndex;
    return state;
}

void Place(GameState &state, int stone, float x, float y)
{
    state.stones[stone][0] = x;
    state.stones[stone][1] = y;
}

// Values for rootSide that grow with its end score, one point at a time.
RolloutPolicy PointsFor(int rootSide)
{
    RolloutPolicy policy;
    policy.rootSide = rootSide;
    for (int score = -value::MAX_END_SCORE; score <= value::MAX_END_SCORE; ++score)
        policy.endValue[static_cast<std::size_t>(score + value::MAX_END_SCORE)] = score;
    return policy;
}

// A generator set from seed, as the search's first throw of a sample sets it.
TessivalGenerator Seeded(std::uint32_t seed)
{
    TessivalGenerator generator{};
    GameState scratch = Empty(0);
    const std::optional<ShotVector> throwAway = BuildVector(ShotPlan{ShotPlan::DRAW, TEE_X, 16.0f, 0, 0.0f});
    EXPECT_EQ(SimulationWithGenerator(&scratch, throwAway.value(), 0.0f, seed, &generator, -1), 1);
    return generator;
}

// The end scores for side of plays of the rest of the end from state.
std::vector<int> EndScores(const GameState &state, const RolloutPolicy &policy, int side, int plays)
{
    std::vector<int> scores;
    for (int play = 0; play < plays; ++play) {
        GameState after = state;
        TessivalGenerator generator = Seeded(static_cast<std::uint32_t>(play) + 1u);
        SplitMix choices{static_cast<std::uint64_t>(play)};
        PlayOut(after, policy, generator, choices);
        scores.push_back(rules::EndScore(after, side));
    }
    return scores;
}

double Mean(const std::vector<int> &scores)
{
    return std::accumulate(scores.begin(), scores.end(), 0.0) / static_cast<double>(scores.size());
}

// plan thrown without error on state.
GameState Thrown(GameState state, const ShotPlan &plan)
{
    const std::optional<ShotVector> vector = BuildVector(plan);
    EXPECT_TRUE(vector.has_value());
    TessivalGenerator generator{};
    if (vector) {
        EXPECT_EQ(SimulationWithGenerator(&state, *vector, 0.0f, 1u, &generator, -1), 1);
    }
    return state;
}

TEST(PlayOut, PlaysTheRestOfTheEndAndStopsAtSixteen)
{
    const RolloutPolicy policy = PointsFor(0);
    for (const int start : {0, 9, 15}) {
        GameState state = Empty(start);
        TessivalGenerator generator = Seeded(5u);
        SplitMix choices{7};
        const int throws = PlayOut(state, policy, generator, choices);
        EXPECT_EQ(state.shotIndex, 16) << start;
        // Every stone left, and the last one's looks ahead besides.
        EXPECT_GT(throws, 16 - start) << start;
    }
    GameState done = Empty(16);
    Place(done, 3, TEE_X, TEE_Y);
    const GameState before = done;
    TessivalGenerator generator = Seeded(5u);
    SplitMix choices{7};
    EXPECT_EQ(PlayOut(done, policy, generator, choices), 0);
    EXPECT_EQ(std::memcmp(&done, &before, sizeof done), 0);
}

// The other side (0) lies alone on the button; the hammer (side 1) throws the
// last stone. Taking it out scores one, leaving it or throwing away gives one up.
TEST(PlayOut, TheLastStoneTakesTheBetterOutcomeForItsSide)
{
    GameState state = Empty(15);
    Place(state, 0, TEE_X, TEE_Y);
    EXPECT_GT(Mean(EndScores(state, PointsFor(1), 1, 40)), 0.5) << "its own values";
    EXPECT_GT(Mean(EndScores(state, PointsFor(0), 1, 40)), 0.5) << "the other side's values";
}

// An open house and values that prize a blank over one point: the hammer's
// last stone keeps the hammer instead of drawing for one.
TEST(PlayOut, TheLastStoneBlanksWhenABlankIsWorthMore)
{
    const GameState state = Empty(15);
    RolloutPolicy policy = PointsFor(1);
    policy.endValue[value::MAX_END_SCORE] = 1.5;
    const std::vector<int> scores = EndScores(state, policy, 1, 40);
    const auto blanks = std::count(scores.begin(), scores.end(), 0);
    EXPECT_GE(blanks, 38);
}

// The other side's stone on the button before the last stones of the end.
TEST(PolicyPlan, AHammerKeepingTheHouseCleanRollsOut)
{
    GameState hammerToThrow = Empty(13);
    Place(hammerToThrow, 0, TEE_X, TEE_Y);
    RolloutPolicy policy = PointsFor(1);
    for (std::uint64_t seed = 0; seed < 4; ++seed) {
        SplitMix choices{seed};
        policy.hammerKeepsHouseClean = true;
        // Nothing in the house: a blank, whoever counts.
        EXPECT_EQ(rules::EndScore(Thrown(hammerToThrow, PolicyPlan(hammerToThrow, policy, choices)), 1), 0) << seed;
        policy.hammerKeepsHouseClean = false;
        const GameState stays = Thrown(hammerToThrow, PolicyPlan(hammerToThrow, policy, choices));
        EXPECT_EQ(rules::EndScore(stays, 1), 1) << seed;
    }
}

TEST(PolicyPlan, OnlyTheHammerRollsOutAndALyingShotDrawsIn)
{
    RolloutPolicy policy = PointsFor(0);
    policy.hammerKeepsHouseClean = true;
    GameState firstToThrow = Empty(12);
    Place(firstToThrow, 1, TEE_X, TEE_Y);
    SplitMix choices{3};
    EXPECT_EQ(rules::EndScore(Thrown(firstToThrow, PolicyPlan(firstToThrow, policy, choices)), 0), 1);

    GameState lyingShot = Empty(12);
    Place(lyingShot, 0, TEE_X + 1.0f, TEE_Y);
    for (std::uint64_t seed = 0; seed < 4; ++seed) {
        SplitMix draws{seed};
        EXPECT_EQ(rules::EndScore(Thrown(lyingShot, PolicyPlan(lyingShot, policy, draws)), 0), 2) << seed;
    }
}

}  // namespace
}  // namespace granite::search
