// The library's closed form and contact events against the fixed-step reference.
#include <gtest/gtest.h>

#include <vector>

#include "reference_integrator.h"
#include "throw_fixture.h"

namespace {

constexpr int DELIVERED = 15;  // past the guard rule

// Every stone removed by both or resting within 1 mm of the reference.
void ExpectAgreesWithReference(const GameState &state, ShotVector shot)
{
    const GameState played = Played(state, shot, DELIVERED);
    const reference::Stones expected = reference::Throw(state, shot, DELIVERED);
    for (int k = 0; k < 16; ++k) {
        const reference::Stone &stone = expected[static_cast<std::size_t>(k)];
        SCOPED_TRACE(testing::Message() << "stone " << k);
        if (!stone.inPlay) {
            EXPECT_TRUE(Removed(played, k));
            continue;
        }
        ASSERT_FALSE(Removed(played, k));
        EXPECT_LT(DistanceTo(played, k, stone.x, stone.y), 1e-3);
    }
}

TEST(FreeMotion, RunsOfBothSpinsMatchTheReference)
{
    const std::vector<ShotVector> shots = {
        Draw(2.375f, 4.88f, 0), Draw(2.375f, 4.88f, 1), Draw(1.2f, 3.5f, 0), Draw(3.6f, 6.2f, 1), Draw(2.0f, 9.5f, 1),
        Draw(3.9f, 10.8f, 0),   {0.12f, -2.3f, 1},      {-0.2f, -2.05f, 0},  {0.0f, -1.9f, 1},    {0.05f, -2.6f, 0}};
    for (const ShotVector &shot : shots) {
        SCOPED_TRACE(testing::Message() << "vector " << shot.vx << ", " << shot.vy << ", spin " << int{shot.spin});
        ExpectAgreesWithReference(EmptyState(DELIVERED), shot);
    }
}

struct Scenario {
    const char *name;
    std::vector<std::array<float, 2>> stones;
    ShotVector shot;
    std::vector<int> removed;  // the stones the scenario is about removing
};

TEST(Collisions, ScenariosMatchTheReference)
{
    const std::vector<Scenario> scenarios = {
        {"head-on hit", {{2.375f, 4.88f}}, Hit(2.375f, 4.88f, 0, 2.0f), {}},
        {"glancing hit", {{2.375f, 4.88f}}, Hit(2.6f, 4.88f, 1, 3.0f), {}},
        {"double takeout", {{2.2f, 4.6f}, {3.1f, 4.2f}}, Hit(2.33f, 4.6f, 0, 30.0f), {0, 1}},
        {"pushed out behind the back line", {{2.375f, 3.5f}}, Hit(2.375f, 3.5f, 0, 4.0f), {0}},
        {"raise", {{2.375f, 8.5f}}, Hit(2.375f, 8.5f, 0, 4.0f), {}},
        {"very high speed", {{2.375f, 4.88f}, {1.9f, 6.0f}}, ShotVector{0.0f, -30.0f, 1}, {0}},
        {"into a full house",
         {{2.0f, 4.5f},
          {2.7f, 5.2f},
          {2.375f, 6.1f},
          {1.6f, 4.9f},
          {3.1f, 4.4f},
          {2.4f, 3.7f},
          {1.9f, 5.9f},
          {2.9f, 6.3f},
          {1.4f, 7.5f},
          {3.5f, 5.5f},
          {1.2f, 5.3f},
          {3.9f, 9.0f},
          {3.7f, 3.9f},
          {1.3f, 3.6f},
          {0.9f, 8.2f}},
         Hit(2.375f, 6.1f, 1, 12.0f),
         {}},
    };
    for (const Scenario &scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        GameState state = EmptyState(DELIVERED);
        for (std::size_t k = 0; k < scenario.stones.size(); ++k)
            Place(state, static_cast<int>(k), scenario.stones[k][0], scenario.stones[k][1]);
        ExpectAgreesWithReference(state, scenario.shot);
        const GameState played = Played(state, scenario.shot, DELIVERED);
        for (int k : scenario.removed)
            EXPECT_TRUE(Removed(played, k)) << "stone " << k;
    }
}

TEST(Collisions, RaisePushesTheGuardIntoTheHouse)
{
    GameState state = EmptyState(DELIVERED);
    Place(state, 0, 2.375f, 8.5f);
    const GameState played = Played(state, Hit(2.375f, 8.5f, 0, 4.0f), DELIVERED);
    EXPECT_LT(DistanceTo(played, 0, 2.375, 4.88), 1.83);
    EXPECT_GT(played.stones[DELIVERED][1], 8.0f);
}

}  // namespace
