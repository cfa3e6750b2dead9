// The thrower's error: its statistics, replay by seed, and the load-time seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "throw_fixture.h"

namespace {

GameState Thrown(float sigma, std::uint32_t seed, ShotVector shot = Draw(2.375f, 6.0f, 1))
{
    GameState state = EmptyState(15);
    Simulation(&state, shot, sigma, seed, 15);
    return state;
}

TEST(RandomError, RestingPointsHaveTheTargetAsMeanAndSigmaAsSpread)
{
    constexpr int THROWS = 4000;
    constexpr double SIGMA = 0.145;
    double sum[2] = {0, 0};
    double squares[2] = {0, 0};
    Thrown(static_cast<float>(SIGMA), 99);
    for (int n = 0; n < THROWS; ++n) {
        const GameState state = Thrown(static_cast<float>(SIGMA), 0);
        const double offset[2] = {static_cast<double>(state.stones[15][0]) - 2.375,
                                  static_cast<double>(state.stones[15][1]) - 6.0};
        for (int axis = 0; axis < 2; ++axis) {
            sum[axis] += offset[axis];
            squares[axis] += offset[axis] * offset[axis];
        }
    }
    for (int axis = 0; axis < 2; ++axis) {
        const double mean = sum[axis] / THROWS;
        const double spread = std::sqrt(squares[axis] / THROWS - mean * mean);
        EXPECT_NEAR(mean, 0.0, 4.0 * SIGMA / std::sqrt(THROWS)) << "axis " << axis;
        EXPECT_NEAR(spread, SIGMA, 0.05 * SIGMA) << "axis " << axis;
    }
}

TEST(RandomError, ANonZeroSeedReplaysAndZeroContinues)
{
    const GameState first = Thrown(0.145f, 4242);
    const GameState second = Thrown(0.145f, 0);
    const GameState third = Thrown(0.145f, 0);
    EXPECT_FALSE(SameBytes(first, second));  // call to call, outcomes differ
    EXPECT_FALSE(SameBytes(second, third));
    EXPECT_TRUE(SameBytes(Thrown(0.145f, 4242), first));
    EXPECT_TRUE(SameBytes(Thrown(0.145f, 0), second));
}

TEST(RandomError, NoErrorTakesNoDraw)
{
    Thrown(0.145f, 77);
    const GameState expected = Thrown(0.145f, 0);
    Thrown(0.145f, 77);
    const GameState exact = Thrown(0.0f, 0);
    Thrown(-1.0f, 0);
    Thrown(std::numeric_limits<float>::quiet_NaN(), 0);
    Thrown(-std::numeric_limits<float>::infinity(), 0);
    EXPECT_TRUE(SameBytes(Thrown(0.145f, 0), expected));
    EXPECT_LT(DistanceTo(exact, 15, 2.375, 6.0), 1e-3);
}

std::string ProbeOutput(const std::string &environment)
{
    const std::string command = environment + " " + SEED_PROBE;
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return "";
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        output += buffer;
    pclose(pipe);
    return output;
}

TEST(RandomError, TessivalSeedReplacesTheDefaultSeedAtLoad)
{
    const std::string standard = ProbeOutput("env -u TESSIVAL_SEED");
    ASSERT_EQ(std::count(standard.begin(), standard.end(), '\n'), 3);
    EXPECT_EQ(ProbeOutput("TESSIVAL_SEED=2026"), standard);  // the default seed
    const std::string other = ProbeOutput("TESSIVAL_SEED=12345");
    EXPECT_NE(other, standard);
    EXPECT_EQ(ProbeOutput("TESSIVAL_SEED=0012345"), other);
    EXPECT_NE(ProbeOutput("TESSIVAL_SEED=18446744073709551615"), standard);
    for (const char *ignored : {"abc", "12x", "-5", "' 7'", "18446744073709551616", "''"})
        EXPECT_EQ(ProbeOutput(std::string("TESSIVAL_SEED=") + ignored), standard) << ignored;

    // The seed argument puts the stream where the same TESSIVAL_SEED would.
    const GameState seeded = Thrown(0.145f, 12345, Draw(2.375f, 4.88f, 0));  // the probe's throw
    char line[128];
    std::snprintf(line, sizeof line, "%a %a\n", static_cast<double>(seeded.stones[15][0]),
                  static_cast<double>(seeded.stones[15][1]));
    EXPECT_EQ(other.substr(0, other.find('\n') + 1), line);
}

}  // namespace
