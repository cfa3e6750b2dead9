#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "viewer/page_numbers.h"

using namespace match::viewer;

TEST(PageNumbers, FloatsPrintShortAndReadBackToTheSameFloat)
{
    const float values[] = {-0.161104f, -2.538033f, 0.0f, 1.0f, 0.1f, 2.375f, 1e-7f, -33.227f,
                            std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::max()};
    for (float value : values) {
        nlohmann::json number = Shortest(value);
        EXPECT_EQ(nlohmann::json::parse(number.dump()).get<float>(), value) << number.dump();
        EXPECT_LE(number.dump().size(), 15u) << number.dump();
    }
    EXPECT_EQ(nlohmann::json(Shortest(-0.161104f)).dump(), "-0.161104");
}

TEST(PageNumbers, RoundingGoesToTheNearestUnitEitherSideOfZero)
{
    EXPECT_EQ(Millimetres(1.0873082876205444), 1087);
    EXPECT_EQ(Millimetres(4.8366), 4837);
    EXPECT_EQ(Millimetres(-0.0004), 0);
    EXPECT_EQ(Millimetres(-0.0016), -2);
    EXPECT_EQ(Milliseconds(14.2994), 14299);
    EXPECT_EQ(Milliseconds(0.0), 0);
}

// Summing the changes gives every point exactly as rounded on its own, so a
// long path collects no rounding on the way.
TEST(PageNumbers, PathChangesSumToEachPointRoundedOnItsOwn)
{
    std::vector<ShownPoint> points;
    for (int i = 0; i < 50; ++i)
        points.push_back({0.0333 * i + 9.0, {1.2f + 0.00077f * static_cast<float>(i), 11.9f - 0.1234f * static_cast<float>(i)}});
    const nlohmann::json flat = PathNumbers(points);
    ASSERT_EQ(flat.size(), 3 * points.size());
    long long time = 0;
    long long x = 0;
    long long y = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        time += flat[3 * i].get<long long>();
        x += flat[3 * i + 1].get<long long>();
        y += flat[3 * i + 2].get<long long>();
        EXPECT_EQ(time, Milliseconds(points[i].time)) << i;
        EXPECT_EQ(x, Millimetres(static_cast<double>(points[i].at[0]))) << i;
        EXPECT_EQ(y, Millimetres(static_cast<double>(points[i].at[1]))) << i;
    }
    EXPECT_EQ(PathNumbers({}), nlohmann::json::array());
}
