// Garbage in: unusable arguments change nothing, everything else ends well-formed.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>

#include "throw_fixture.h"

namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float INF = std::numeric_limits<float>::infinity();

TEST(UnusableArguments, ShotMakersReturnZeroAndWriteNothing)
{
    EXPECT_EQ(CreateShot(ShotTarget{2.0f, 5.0f, 0}, nullptr), 0);
    EXPECT_EQ(CreateHitShot(ShotTarget{2.0f, 5.0f, 0}, 12.0f, nullptr), 0);
    const ShotTarget targets[] = {{NaN, 5.0f, 0},  {2.0f, INF, 0},     {-INF, 5.0f, 1},
                                  {2.0f, 5.0f, 2}, {2.0f, 33.227f, 0}, {2.0f, 40.0f, 1}};
    for (const ShotTarget &target : targets) {
        ShotVector shot;
        std::memset(&shot, 0x77, sizeof shot);
        const ShotVector untouched = shot;
        EXPECT_EQ(CreateShot(target, &shot), 0);
        EXPECT_EQ(CreateHitShot(target, 12.0f, &shot), 0);
        EXPECT_EQ(std::memcmp(&shot, &untouched, sizeof shot), 0);
    }
    for (const float power : {-1.0f, -0.0001f, NaN, INF}) {
        ShotVector shot{};
        EXPECT_EQ(CreateHitShot(ShotTarget{2.0f, 5.0f, 0}, power, &shot), 0) << power;
    }
}

TEST(Garbage, ExtremeTargetsAndPowersGiveFiniteVectors)
{
    const ShotTarget targets[] = {{-3e38f, -3e38f, 0}, {3e38f, 33.2f, 1}, {2.375f, 33.226f, 0}, {1e-30f, 1e-30f, 1}};
    for (const ShotTarget &target : targets)
        for (const float power : {0.0f, 1e-30f, 12.0f, 3e38f}) {
            ShotVector shot{};
            ASSERT_EQ(CreateHitShot(target, power, &shot), 1);
            EXPECT_TRUE(std::isfinite(shot.vx) && std::isfinite(shot.vy)) << target.x << " " << power;
            GameState state = EmptyState(0);
            ASSERT_EQ(Simulation(&state, shot, 0.145f, 0, -1), 1);
            EXPECT_TRUE(WellFormed(state));
        }
}

TEST(UnusableArguments, SimulationReturnsZeroAndWritesNothing)
{
    EXPECT_EQ(Simulation(nullptr, ShotVector{0.0f, -2.0f, 0}, 0.0f, 0, -1), 0);
    struct Case {
        ShotVector shot;
        float sigma;
        std::int32_t shotIndex, stoneIndex;
    };
    const Case cases[] = {{{NaN, -2.0f, 0}, 0.0f, 0, -1},       {{0.0f, -INF, 0}, 0.0f, 0, -1},
                          {{0.0f, -2.0f, 2}, 0.0f, 0, -1},      {{0.0f, -2.0f, 0}, INF, 0, -1},
                          {{0.0f, -2.0f, 0}, 0.0f, 16, -1},     {{0.0f, -2.0f, 0}, 0.0f, -1, -1},
                          {{0.0f, -2.0f, 0}, 0.0f, 0, 16},      {{0.0f, -2.0f, 0}, 0.0f, 0, -2},
                          {{0.0f, -2.0f, 0}, 0.0f, 0, INT_MIN}, {{0.0f, -2.0f, 0}, 0.0f, INT_MAX, -1}};
    for (const Case &c : cases) {
        GameState state = EmptyState(c.shotIndex);
        Place(state, 3, 2.0f, 5.0f);
        const GameState before = state;
        EXPECT_EQ(Simulation(&state, c.shot, c.sigma, 0, c.stoneIndex), 0);
        EXPECT_TRUE(SameBytes(state, before));
    }
}

TEST(Garbage, HugeVectorsAndErrorsEndWellFormed)
{
    const ShotVector shots[] = {{3e38f, -3e38f, 0}, {0.0f, -3e38f, 1}, {1e-40f, -1e-40f, 0},
                                {-3e38f, 3e38f, 1}, {0.0f, 0.0f, 1},   {4.0f, 0.0f, 0}};
    for (const ShotVector &shot : shots)
        for (const float sigma : {0.0f, 0.145f, 1e30f, 3e38f}) {
            GameState state = EmptyState(15);
            Place(state, 0, 2.375f, 4.88f);
            ASSERT_EQ(Simulation(&state, shot, sigma, 0, -1), 1);
            EXPECT_TRUE(WellFormed(state)) << shot.vx << " " << shot.vy << " " << sigma;
        }
}

TEST(Garbage, OverlappingStonesStayAsGivenUnlessStruck)
{
    GameState state = EmptyState(15);
    Place(state, 0, 2.0f, 5.0f);
    Place(state, 1, 2.1f, 5.05f);
    Place(state, 2, 2.1f, 5.05f);  // on top of stone 1
    const GameState played = Played(state, Draw(3.5f, 6.0f, 1), 15);
    EXPECT_EQ(std::memcmp(played.stones, state.stones, 3 * 2 * sizeof(float)), 0);
    const GameState struck = Played(state, Hit(2.0f, 5.0f, 0, 12.0f), 15);
    EXPECT_TRUE(WellFormed(struck));
    EXPECT_NE(std::memcmp(struck.stones, state.stones, 3 * 2 * sizeof(float)), 0);
}

TEST(Garbage, DeeplyOverlappingStonesPassThroughEachOther)
{
    GameState state = EmptyState(15);
    Place(state, 0, 2.375f, 5.0f);
    Place(state, 1, 2.375f, 4.9f);  // 19 cm into stone 0
    const GameState struck = Played(state, Hit(2.375f, 5.0f, 0, 2.0f), 15);
    EXPECT_LT(struck.stones[0][1], 4.6f);
    EXPECT_EQ(std::memcmp(struck.stones[1], state.stones[1], sizeof(float) * 2), 0);
}

// A stone given just below the release overlaps the thrown stone from its
// start: the throw passes through it and neither is pushed, whether the thrown
// stone runs on or barely moves.
TEST(Garbage, StoneGivenAtTheReleaseIsPassedThrough)
{
    GameState state = EmptyState(6);
    Place(state, 1, 2.37504f, 33.22692f);
    const GameState drawn = Played(state, Draw(2.375f, 4.88f, 1), -1);
    EXPECT_LT(DistanceTo(drawn, 6, 2.375, 4.88), 1e-3);
    EXPECT_EQ(std::memcmp(drawn.stones[1], state.stones[1], sizeof(float) * 2), 0);
    GameState crept = state;
    ASSERT_EQ(Simulation(&crept, ShotVector{0.0f, 0.0f, 1}, 0.145f, 1027423549u, -1), 1);
    EXPECT_TRUE(WellFormed(crept));
    EXPECT_EQ(std::memcmp(crept.stones[1], state.stones[1], sizeof(float) * 2), 0);
}

// A row of stones frozen to each other, struck softly and hard: the chains of
// contacts settle and every stone ends well-formed.
TEST(Garbage, FrozenRowsSettle)
{
    for (const float power : {0.2f, 3.0f, 40.0f}) {
        GameState state = EmptyState(15);
        for (int k = 0; k < 15; ++k)
            Place(state, k, 1.5f + 0.29f * static_cast<float>(k % 4), 4.0f + 0.29f * static_cast<float>(k / 4));
        const GameState played = Played(state, Hit(1.79f, 4.87f, 1, power), 15);
        EXPECT_TRUE(WellFormed(played)) << power;
        EXPECT_FALSE(SameBytes(played, state)) << power;
    }
}

float GarbageCoordinate(std::mt19937 &random)
{
    switch (random() % 8) {
    case 0:
        return NaN;
    case 1:
        return random() % 2 ? INF : -INF;
    case 2:
        return random() % 2 ? 3e38f : -1e30f;
    case 3:
        return 0.0f;
    default:
        return std::uniform_real_distribution<float>(-1.0f, 35.0f)(random);
    }
}

// Random states full of junk: each comes back well-formed, and the same call
// from the same stream position gives the same bytes.
TEST(Garbage, RandomJunkStatesEndWellFormedAndDeterministic)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> across(0.2f, 4.55f);
    std::uniform_real_distribution<float> along(3.0f, 12.0f);
    for (int n = 0; n < 1500; ++n) {
        GameState state = EmptyState(static_cast<std::int32_t>(random() % 16));
        for (int k = 0; k < 16; ++k) {
            if (random() % 3 == 0)
                Place(state, k, GarbageCoordinate(random), GarbageCoordinate(random));
            else
                Place(state, k, across(random), along(random));
        }
        const ShotVector shot = random() % 4 == 0 ? ShotVector{GarbageCoordinate(random), -GarbageCoordinate(random), 0}
                                                  : Hit(across(random), along(random), static_cast<int>(random() % 2),
                                                        static_cast<float>(random() % 40));
        if (!std::isfinite(shot.vx) || !std::isfinite(shot.vy))
            continue;
        const float sigma = random() % 2 ? 0.145f : 0.0f;
        const std::uint32_t seed = static_cast<std::uint32_t>(n + 1);
        GameState first = state;
        GameState second = state;
        ASSERT_EQ(Simulation(&first, shot, sigma, seed, -1), 1);
        ASSERT_EQ(Simulation(&second, shot, sigma, seed, -1), 1);
        ASSERT_TRUE(WellFormed(first)) << "state " << n;
        ASSERT_TRUE(SameBytes(first, second)) << "state " << n;
    }
}

}  // namespace
