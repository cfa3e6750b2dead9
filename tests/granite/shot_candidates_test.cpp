// granite's candidate shots and their refinements, built and thrown by the
// real library.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "search/sheet.h"
#include "search/shot_candidates.h"

namespace granite::search {
namespace {

constexpr float HOG_LINE_Y = 11.28f;
constexpr float MATCH_ERROR = 0.145f;

using Stones = std::vector<std::array<float, 2>>;

// stones in play as stones 0, 1, ... and shotIndex the next to throw.
GameState Position(const Stones &stones)
{
    GameState state;
    std::memset(&state, 0, sizeof state);
    state.shotIndex = static_cast<int>(stones.size());
    for (std::size_t k = 0; k < stones.size(); ++k) {
        state.stones[k][0] = stones[k][0];
        state.stones[k][1] = stones[k][1];
    }
    return state;
}

// Eight stones, the first six nearest the tee.
const Stones EIGHT_STONES = {{2.375f, 4.88f}, {2.1f, 5.05f}, {2.7f, 4.7f},  {2.4f, 5.6f},
                             {1.8f, 4.4f},    {3.0f, 5.2f},  {2.55f, 7.3f}, {0.9f, 9.1f}};
// Stones near the back line, the sides and the hog line.
const Stones AWKWARD_STONES = {{2.375f, 3.1f}, {0.3f, 4.9f}, {4.45f, 5.5f}, {2.2f, 11.0f}, {1.0f, 3.4f}};

std::vector<ShotPlan> Matching(const std::vector<ShotPlan> &plans, ShotPlan::Kind kind, float x, float y)
{
    std::vector<ShotPlan> found;
    std::copy_if(plans.begin(), plans.end(), std::back_inserter(found),
                 [&](const ShotPlan &plan) { return plan.kind == kind && plan.x == x && plan.y == y; });
    return found;
}

bool BothSpins(const std::vector<ShotPlan> &plans)
{
    const auto spun = [&](int spin) {
        return std::any_of(plans.begin(), plans.end(), [spin](const ShotPlan &plan) { return plan.spin == spin; });
    };
    return spun(0) && spun(1);
}

std::vector<ShotPlan> ThrowAways(const std::vector<ShotPlan> &plans)
{
    std::vector<ShotPlan> found;
    std::copy_if(plans.begin(), plans.end(), std::back_inserter(found),
                 [](const ShotPlan &plan) { return plan.kind == ShotPlan::DRAW && plan.y > HOG_LINE_Y; });
    return found;
}

TEST(ShotCandidates, AnEmptyHouseGetsTheDrawsAndOneThrowAway)
{
    const std::vector<ShotPlan> plans = ShotCandidates(Position({}));
    EXPECT_TRUE(
        std::none_of(plans.begin(), plans.end(), [](const ShotPlan &plan) { return plan.kind == ShotPlan::HIT; }));
    EXPECT_TRUE(BothSpins(Matching(plans, ShotPlan::DRAW, TEE_X, TEE_Y))) << "the button";
    EXPECT_TRUE(BothSpins(Matching(plans, ShotPlan::DRAW, TEE_X - 0.6f, TEE_Y))) << "the four-foot";
    EXPECT_TRUE(BothSpins(Matching(plans, ShotPlan::DRAW, TEE_X + 1.2f, TEE_Y))) << "the eight-foot";
    const auto centreGuard = [](const ShotPlan &plan) {
        return plan.x == TEE_X && plan.y > TEE_Y + static_cast<float>(HOUSE_REACH) && plan.y < HOG_LINE_Y;
    };
    EXPECT_GE(std::count_if(plans.begin(), plans.end(), centreGuard), 2);
    EXPECT_EQ(ThrowAways(plans).size(), 1u);
}

TEST(ShotCandidates, TheThrowAwayLeavesThePositionUntouched)
{
    const GameState before = Position(EIGHT_STONES);
    const std::vector<ShotPlan> throwAways = ThrowAways(ShotCandidates(before));
    ASSERT_EQ(throwAways.size(), 1u);
    const std::optional<ShotVector> vector = BuildVector(throwAways.front());
    ASSERT_TRUE(vector.has_value());
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        GameState after = before;
        TessivalGenerator generator{};
        ASSERT_EQ(SimulationWithGenerator(&after, *vector, MATCH_ERROR, seed, &generator, -1), 1);
        EXPECT_EQ(std::memcmp(after.stones, before.stones, sizeof before.stones), 0) << seed;
    }
}

TEST(ShotCandidates, EveryShotButTheThrowAwayComesWithBothSpins)
{
    const std::vector<ShotPlan> plans = ShotCandidates(Position(EIGHT_STONES));
    for (const ShotPlan &plan : plans) {
        if (plan.y > HOG_LINE_Y)
            continue;
        ShotPlan twin = plan;
        twin.spin = 1 - plan.spin;
        EXPECT_TRUE(std::any_of(plans.begin(), plans.end(),
                                [&](const ShotPlan &other) {
                                    return other.kind == twin.kind && other.x == twin.x && other.y == twin.y &&
                                           other.spin == twin.spin && other.power == twin.power;
                                }))
            << plan.kind << " at (" << plan.x << ", " << plan.y << ") spin " << plan.spin;
    }
}

TEST(ShotCandidates, TheSixStonesNearestTheTeeAreHitAndTheOthersLeft)
{
    const std::vector<ShotPlan> plans = ShotCandidates(Position(EIGHT_STONES));
    for (std::size_t k = 0; k < EIGHT_STONES.size(); ++k) {
        const float x = EIGHT_STONES[k][0];
        const float y = EIGHT_STONES[k][1];
        const std::vector<ShotPlan> fullHits = Matching(plans, ShotPlan::HIT, x, y);
        std::vector<ShotPlan> anyHit;
        std::copy_if(plans.begin(), plans.end(), std::back_inserter(anyHit), [&](const ShotPlan &plan) {
            return plan.kind == ShotPlan::HIT && plan.y == y && std::fabs(plan.x - x) < 0.2f;
        });
        if (k < 6) {
            EXPECT_TRUE(BothSpins(fullHits)) << "stone " << k;
            const auto lightest =
                std::min_element(anyHit.begin(), anyHit.end(), [](auto &a, auto &b) { return a.power < b.power; });
            const auto heaviest =
                std::max_element(anyHit.begin(), anyHit.end(), [](auto &a, auto &b) { return a.power < b.power; });
            EXPECT_LT(lightest->power, heaviest->power) << "stone " << k << ": a tap and a takeout";
            EXPECT_TRUE(std::any_of(anyHit.begin(), anyHit.end(), [x](const ShotPlan &plan) { return plan.x < x; }));
            EXPECT_TRUE(std::any_of(anyHit.begin(), anyHit.end(), [x](const ShotPlan &plan) { return plan.x > x; }));
        } else {
            EXPECT_TRUE(anyHit.empty()) << "stone " << k;
        }
    }
}

TEST(ShotCandidates, TheLibraryBuildsEveryCandidate)
{
    for (const Stones &stones : {Stones{}, EIGHT_STONES, AWKWARD_STONES}) {
        for (const ShotPlan &plan : ShotCandidates(Position(stones))) {
            EXPECT_TRUE(BuildVector(plan).has_value())
                << plan.kind << " at (" << plan.x << ", " << plan.y << ") power " << plan.power;
        }
    }
}

TEST(RefinedAround, DrawsMoveAcrossAndAlongKeepingTheirSpin)
{
    const ShotPlan draw{ShotPlan::DRAW, 2.2f, 5.3f, 1, 0.0f};
    const std::vector<ShotPlan> variants = RefinedAround(draw);
    ASSERT_FALSE(variants.empty());
    bool left = false, right = false, shorter = false, longer = false;
    for (const ShotPlan &variant : variants) {
        EXPECT_EQ(variant.kind, ShotPlan::DRAW);
        EXPECT_EQ(variant.spin, 1);
        EXPECT_TRUE((variant.x == draw.x) != (variant.y == draw.y)) << "one direction at a time";
        EXPECT_LT(std::hypot(variant.x - draw.x, variant.y - draw.y), 0.2f);
        left |= variant.x < draw.x;
        right |= variant.x > draw.x;
        shorter |= variant.y > draw.y;
        longer |= variant.y < draw.y;
    }
    EXPECT_TRUE(left && right && shorter && longer);
}

TEST(RefinedAround, HitsMoveAcrossAndChangeWeight)
{
    const ShotPlan hit{ShotPlan::HIT, 2.3f, 5.0f, 0, 12.0f};
    const std::vector<ShotPlan> variants = RefinedAround(hit);
    bool left = false, right = false, lighter = false, heavier = false;
    for (const ShotPlan &variant : variants) {
        EXPECT_EQ(variant.kind, ShotPlan::HIT);
        EXPECT_EQ(variant.spin, 0);
        EXPECT_EQ(variant.y, hit.y) << "the line through the struck stone's row";
        EXPECT_TRUE((variant.x == hit.x) != (variant.power == hit.power)) << "one change at a time";
        left |= variant.x < hit.x;
        right |= variant.x > hit.x;
        lighter |= variant.power < hit.power;
        heavier |= variant.power > hit.power;
    }
    EXPECT_TRUE(left && right && lighter && heavier);
}

TEST(RefinedAround, TheThrowAwayIsLeftAsItIs)
{
    const std::vector<ShotPlan> throwAways = ThrowAways(ShotCandidates(Position(EIGHT_STONES)));
    ASSERT_EQ(throwAways.size(), 1u);
    EXPECT_TRUE(RefinedAround(throwAways.front()).empty());
}

}  // namespace
}  // namespace granite::search
