// Draws rest on their targets and hits keep the speed their power promises.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "throw_fixture.h"

namespace {

TEST(CreateShot, DrawsRestOnTargetsOverTheHouseAndGuardZone)
{
    for (int spin = 0; spin < 2; ++spin)
        for (float y = 3.0f; y < 11.1f; y += 0.25f)
            for (float x = 0.9f; x < 3.9f; x += 0.25f) {
                if (std::hypot(x - 2.375f, y - 4.88f) > 1.975f && y < 4.88f)
                    continue;  // beside the house
                const GameState played = Played(EmptyState(15), Draw(x, y, spin), 15);
                ASSERT_LT(DistanceTo(played, 15, x, y), 1e-3) << x << ", " << y << " spin " << spin;
            }
}

TEST(CreateShot, SameArgumentsGiveTheSameTwelveBytes)
{
    for (int spin = 0; spin < 2; ++spin) {
        const ShotTarget target{2.1f, 5.3f, static_cast<std::uint8_t>(spin)};
        ShotVector first;
        ShotVector second;
        std::memset(&first, 0xAB, sizeof first);
        std::memset(&second, 0x5C, sizeof second);
        ASSERT_EQ(CreateShot(target, &first), 1);
        ASSERT_EQ(CreateShot(target, &second), 1);
        EXPECT_EQ(std::memcmp(&first, &second, sizeof first), 0);
        EXPECT_EQ(first.spin, spin);
        ASSERT_EQ(CreateHitShot(target, 12.0f, &first), 1);
        ASSERT_EQ(CreateHitShot(target, 12.0f, &second), 1);
        EXPECT_EQ(std::memcmp(&first, &second, sizeof first), 0);
    }
}

TEST(CreateShot, SpinZeroAimsRightOfTheTargetAndCurlsBack)
{
    EXPECT_GT(Draw(2.375f, 4.88f, 0).vx, 0.0f);
    EXPECT_LT(Draw(2.375f, 4.88f, 1).vx, 0.0f);
    EXPECT_NEAR(Draw(2.375f, 4.88f, 0).vy, -2.13f, 0.01f);
}

TEST(CreateHitShot, PowerZeroIsTheDraw)
{
    ShotVector draw;
    ShotVector hit;
    std::memset(&draw, 0x11, sizeof draw);
    std::memset(&hit, 0x22, sizeof hit);
    CreateShot(ShotTarget{2.7f, 4.2f, 1}, &draw);
    CreateHitShot(ShotTarget{2.7f, 4.2f, 1}, 0.0f, &hit);
    EXPECT_EQ(std::memcmp(&draw, &hit, sizeof draw), 0);
}

// A hit passes its target; from there a free stone runs `power` metres of path.
TEST(CreateHitShot, PassesTheTargetWithThePromisedSpeed)
{
    struct Case {
        float x, y, power;
    };
    for (const Case c : {Case{2.375f, 4.88f, 0.5f}, Case{1.9f, 20.0f, 3.0f}, Case{2.8f, 22.0f, 8.0f},
                         Case{2.375f, 25.0f, 12.0f}, Case{2.0f, 16.0f, 0.05f}})
        for (int spin = 0; spin < 2; ++spin) {
            SCOPED_TRACE(testing::Message() << c.x << ", " << c.y << " power " << c.power << " spin " << spin);
            GameState state = EmptyState(15);
            std::vector<float> path(2 * 20000);
            std::int32_t length = 0;
            ASSERT_EQ(SimulationTrace(&state, Hit(c.x, c.y, spin, c.power), 0.0f, 0, 15,
                                      reinterpret_cast<float(*)[2]>(path.data()), 20000, &length),
                      1);
            double nearest = 1e9;
            std::int32_t nearestIndex = 0;
            for (std::int32_t j = 0; j < length; ++j) {
                const float target[2] = {c.x, c.y};
                const double d = Span(&path[2 * j], target);
                if (d < nearest)
                    nearest = d, nearestIndex = j;
            }
            double remaining = 0.0;
            for (std::int32_t j = nearestIndex; j + 1 < length; ++j)
                remaining += Span(&path[2 * j + 2], &path[2 * j]);
            const double spacing = Span(&path[2], &path[0]);
            EXPECT_LT(nearest, 0.5 * spacing + 1e-3);
            EXPECT_NEAR(remaining, static_cast<double>(c.power), spacing + 1e-3);
        }
}

}  // namespace
