// SimulationTrace plays exactly as Simulation does and records the thrown stone's path.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "throw_fixture.h"

namespace {

GameState FullHouse()
{
    GameState state = EmptyState(15);
    for (int k = 0; k < 15; ++k)
        Place(state, k, 1.3f + 0.15f * static_cast<float>(k), 4.0f + 0.37f * static_cast<float>(k % 5));
    return state;
}

struct Traced {
    GameState state;
    std::vector<float> path;
    std::int32_t length;
};

Traced Trace(GameState state, ShotVector shot, float sigma, std::uint32_t seed, std::int32_t capacity)
{
    Traced traced{state, std::vector<float>(2 * static_cast<std::size_t>(capacity)), -1};
    const int result = SimulationTrace(&traced.state, shot, sigma, seed, -1,
                                       reinterpret_cast<float(*)[2]>(traced.path.data()), capacity, &traced.length);
    EXPECT_EQ(result, 1);
    return traced;
}

TEST(SimulationTrace, LeavesStateAndStreamExactlyAsSimulation)
{
    const ShotVector shots[] = {Draw(2.375f, 4.88f, 0), Hit(2.2f, 4.37f, 1, 12.0f), Draw(1.9f, 5.1f, 1),
                                ShotVector{0.3f, -2.5f, 0}};
    for (const ShotVector &shot : shots)
        for (const float sigma : {0.0f, 0.145f}) {
            GameState simulated = FullHouse();
            Simulation(&simulated, shot, sigma, 31, -1);
            GameState afterSimulation = FullHouse();
            Simulation(&afterSimulation, shot, sigma, 0, -1);

            const Traced traced = Trace(FullHouse(), shot, sigma, 31, 64);
            GameState afterTrace = FullHouse();
            Simulation(&afterTrace, shot, sigma, 0, -1);
            EXPECT_TRUE(SameBytes(traced.state, simulated));
            EXPECT_TRUE(SameBytes(afterTrace, afterSimulation));
        }
}

TEST(SimulationTrace, PathRunsFromReleaseToRestEvenlyInTime)
{
    const Traced traced = Trace(EmptyState(15), Draw(2.375f, 4.88f, 1), 0.0f, 0, 200);
    ASSERT_EQ(traced.length, 200);
    const std::vector<float> &p = traced.path;
    EXPECT_EQ(p[0], 2.375f);
    EXPECT_EQ(p[1], 33.227f);
    EXPECT_EQ(p[398], traced.state.stones[15][0]);
    EXPECT_EQ(p[399], traced.state.stones[15][1]);
    // Speed falls evenly in time, so the steps along the path shrink evenly.
    std::vector<double> steps;
    for (std::size_t j = 0; j + 1 < 200; ++j)
        steps.push_back(Span(&p[2 * j + 2], &p[2 * j]));
    for (std::size_t j = 0; j + 2 < steps.size(); ++j)
        EXPECT_NEAR(steps[j] - steps[j + 1], steps[0] - steps[1], 1e-4);
}

TEST(SimulationTrace, ARemovedStoneEndsWhereItLeft)
{
    const Traced traced = Trace(EmptyState(15), ShotVector{0.0f, -3.0f, 0}, 0.0f, 0, 50);
    EXPECT_TRUE(Removed(traced.state, 15));
    EXPECT_NEAR(traced.path[99], 3.05f - 0.145f, 1e-4f);
}

TEST(SimulationTrace, UnusableArgumentsWriteNothing)
{
    std::vector<float> path(20, 7.0f);
    auto *points = reinterpret_cast<float(*)[2]>(path.data());
    std::int32_t length = -9;
    GameState state = FullHouse();
    const ShotVector shot = Draw(2.375f, 4.88f, 0);
    EXPECT_EQ(SimulationTrace(&state, shot, 0.0f, 0, -1, nullptr, 10, &length), 0);
    EXPECT_EQ(SimulationTrace(&state, shot, 0.0f, 0, -1, points, 10, nullptr), 0);
    EXPECT_EQ(SimulationTrace(nullptr, shot, 0.0f, 0, -1, points, 10, &length), 0);
    for (const std::int32_t capacity : {1, 0, -5})
        EXPECT_EQ(SimulationTrace(&state, shot, 0.0f, 0, -1, points, capacity, &length), 0);
    EXPECT_EQ(SimulationTrace(&state, ShotVector{NAN, -2.0f, 0}, 0.0f, 0, -1, points, 10, &length), 0);
    EXPECT_EQ(SimulationTrace(&state, shot, 0.0f, 0, 16, points, 10, &length), 0);
    EXPECT_TRUE(SameBytes(state, FullHouse()));
    EXPECT_EQ(length, -9);
    for (const float value : path)
        EXPECT_EQ(value, 7.0f);
}

}  // namespace
