// The value network's inputs: the context, the order of the slots, which
// stones count, and the mirror image.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>

#include "value/position_features.h"

namespace granite::value {
namespace {

constexpr float TEE_X = static_cast<float>(TESSIVAL_TEE_X);
constexpr float TEE_Y = static_cast<float>(TESSIVAL_TEE_Y);
constexpr float HOUSE = static_cast<float>(TESSIVAL_HOUSE_RADIUS);
constexpr std::size_t HAMMER_SLOTS = STONES_FROM;
constexpr std::size_t OTHER_SLOTS = STONES_FROM + SLOTS * SLOT_INPUTS;

using Features = std::array<float, FEATURE_COUNT>;

GameState Empty(int shotIndex)
{
    GameState state;
    std::memset(&state, 0, sizeof state);
    state.shotIndex = shotIndex;
    return state;
}

void Place(GameState &state, int stone, float dx, float dy)
{
    state.stones[stone][0] = TEE_X + dx;
    state.stones[stone][1] = TEE_Y + dy;
}

Features Encode(const GameState &state, const EndContext &context = {})
{
    Features features{};
    EncodePosition(state, context, features);
    return features;
}

void ExpectSlot(const Features &features, std::size_t from, int slot, float dx, float dy)
{
    const std::size_t at = from + static_cast<std::size_t>(slot * SLOT_INPUTS);
    EXPECT_EQ(features[at], 1.0f) << slot;
    // The offsets come back through the sheet's coordinates, rounded there.
    constexpr float ROUNDING = 1e-6f;
    EXPECT_NEAR(features[at + 1], dx / HOUSE, ROUNDING) << slot;
    EXPECT_NEAR(features[at + 2], dy / HOUSE, ROUNDING) << slot;
    EXPECT_NEAR(features[at + 3], std::sqrt(dx * dx + dy * dy) / HOUSE, ROUNDING) << slot;
}

void ExpectEmpty(const Features &features, std::size_t from, int slot)
{
    for (int input = 0; input < SLOT_INPUTS; ++input)
        EXPECT_EQ(features[from + static_cast<std::size_t>(slot * SLOT_INPUTS + input)], 0.0f) << slot;
}

TEST(PositionFeatures, ContextIsOneHotShotAndScaledLeadAndEnds)
{
    const Features features = Encode(Empty(5), {3, false, -2});
    for (int shot = 0; shot < SHOT_INPUTS; ++shot)
        EXPECT_EQ(features[static_cast<std::size_t>(shot)], shot == 5 ? 1.0f : 0.0f);
    EXPECT_FLOAT_EQ(features[16], -2.0f / LEAD_SCALE);
    EXPECT_FLOAT_EQ(features[17], 3.0f / ENDS_SCALE);
    EXPECT_EQ(features[18], 0.0f);

    const Features clamped = Encode(Empty(15), {40, true, 30});
    EXPECT_FLOAT_EQ(clamped[16], static_cast<float>(MAX_INPUT_LEAD) / LEAD_SCALE);
    EXPECT_FLOAT_EQ(clamped[17], static_cast<float>(MAX_INPUT_ENDS) / ENDS_SCALE);
    EXPECT_EQ(clamped[18], 1.0f);

    const GameSituation thrower = {6, 7, false, 3};  // the side without the hammer, three up
    EXPECT_EQ(HammerContext(thrower).hammerLead, -3);
    EXPECT_EQ(HammerContext(thrower).endsLeft, 1);
    EXPECT_TRUE(HammerContext({9, 7, true, 0}).extraEnd);
    EXPECT_EQ(HammerContext({9, 7, true, 0}).endsLeft, 0);
}

// The score as it stands and the counts: two hammer stones shot, one of them a
// guard's distance away from counting; the other side one in the house, one guard.
TEST(PositionFeatures, ScoreAsItStandsAndStonesInTheHouseAndGuards)
{
    GameState state = Empty(8);
    Place(state, 1, 0.1f, 0.0f);
    Place(state, 3, -0.3f, 0.2f);
    Place(state, 0, 0.0f, -1.0f);  // in the house, behind both hammer stones
    Place(state, 2, 0.2f, 3.5f);   // a guard, between the house and the hog line
    Place(state, 5, 1.0f, -2.5f);  // behind the house: neither
    const Features features = Encode(state);
    for (int score = -MAX_INPUT_SCORE; score <= MAX_INPUT_SCORE; ++score)
        EXPECT_EQ(features[static_cast<std::size_t>(SCORE_FROM + score + MAX_INPUT_SCORE)], score == 2 ? 1.0f : 0.0f);
    EXPECT_FLOAT_EQ(features[COUNTS_FROM], 2.0f / SLOTS);
    EXPECT_FLOAT_EQ(features[COUNTS_FROM + 1], 1.0f / SLOTS);
    EXPECT_FLOAT_EQ(features[COUNTS_FROM + 2], 0.0f);
    EXPECT_FLOAT_EQ(features[COUNTS_FROM + 3], 1.0f / SLOTS);

    // Beyond the clamp the score reads as MAX_INPUT_SCORE for the side that leads it.
    GameState steal = Empty(12);
    for (int stone = 0; stone < 12; stone += 2)
        Place(steal, stone, 0.05f * static_cast<float>(stone), 0.0f);
    EXPECT_EQ(Encode(steal)[SCORE_FROM], 1.0f);
}

TEST(PositionFeatures, HammerStonesFirstEachSideNearestTheTeeFirst)
{
    GameState state = Empty(6);
    Place(state, 0, 0.9f, 0.0f);   // other side, farther
    Place(state, 1, 0.0f, 1.2f);   // hammer, farthest of its own
    Place(state, 2, -0.2f, 0.1f);  // other side, nearest of all
    Place(state, 3, 0.3f, -0.4f);  // hammer, nearest of its own
    Place(state, 5, 0.6f, 0.6f);
    // Stone 4 out of play at (0, 0).
    const Features features = Encode(state);
    ExpectSlot(features, HAMMER_SLOTS, 0, 0.3f, -0.4f);
    ExpectSlot(features, HAMMER_SLOTS, 1, 0.6f, 0.6f);
    ExpectSlot(features, HAMMER_SLOTS, 2, 0.0f, 1.2f);
    ExpectEmpty(features, HAMMER_SLOTS, 3);
    ExpectSlot(features, OTHER_SLOTS, 0, -0.2f, 0.1f);
    ExpectSlot(features, OTHER_SLOTS, 1, 0.9f, 0.0f);
    ExpectEmpty(features, OTHER_SLOTS, 2);
}

TEST(PositionFeatures, StonesNotYetThrownOrOutOfPlayAreLeftOut)
{
    GameState state = Empty(3);
    Place(state, 0, 0.1f, 0.1f);
    Place(state, 2, 0.0f, 0.5f);
    state.stones[1][0] = 0.0f;  // out of play
    state.stones[1][1] = 0.0f;
    Place(state, 3, 0.2f, 0.2f);  // thrown at shotIndex: not yet on the sheet
    Place(state, 9, 0.0f, 0.3f);  // a stale stone from later on
    const Features features = Encode(state);
    ExpectEmpty(features, HAMMER_SLOTS, 0);
    ExpectSlot(features, OTHER_SLOTS, 0, 0.1f, 0.1f);
    ExpectSlot(features, OTHER_SLOTS, 1, 0.0f, 0.5f);
    ExpectEmpty(features, OTHER_SLOTS, 2);

    state.shotIndex = 4;
    ExpectSlot(Encode(state), HAMMER_SLOTS, 0, 0.2f, 0.2f);
}

TEST(PositionFeatures, MirrorNegatesEveryOffsetAcrossAndNothingElse)
{
    GameState state = Empty(12);
    const std::array<std::array<float, 2>, 12> offsets = {{{0.5f, 0.1f},
                                                           {-0.3f, 0.3f},
                                                           {0.25f, -0.6f},
                                                           {1.1f, 0.2f},
                                                           {-0.75f, 1.5f},
                                                           {0.0f, 0.4f},
                                                           {0.125f, 0.0f},
                                                           {-1.5f, -0.5f},
                                                           {0.6f, 0.6f},
                                                           {-0.6f, 0.6f},
                                                           {0.5f, -0.5f},
                                                           {0.375f, 2.0f}}};
    GameState mirrored = state;
    for (int stone = 0; stone < 12; ++stone) {
        Place(state, stone, offsets[static_cast<std::size_t>(stone)][0], offsets[static_cast<std::size_t>(stone)][1]);
        Place(mirrored, stone, -offsets[static_cast<std::size_t>(stone)][0],
              offsets[static_cast<std::size_t>(stone)][1]);
    }
    const EndContext context = {2, false, 1};
    const Features features = Encode(state, context);
    const Features image = Encode(mirrored, context);
    for (std::size_t column = 0; column < features.size(); ++column) {
        const bool dx = column >= static_cast<std::size_t>(STONES_FROM) && (column - STONES_FROM) % SLOT_INPUTS == 1;
        EXPECT_NEAR(image[column], dx ? -features[column] : features[column], 1e-6f) << column;
    }
}

}  // namespace
}  // namespace granite::value
