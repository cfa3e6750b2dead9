#include "value/position_features.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "end_score.h"
#include "house.h"
#include "in_play.h"

namespace granite::value {

namespace {

constexpr float HOUSE_RADIUS = static_cast<float>(TESSIVAL_HOUSE_RADIUS);
constexpr float HOG_LINE_Y = static_cast<float>(TESSIVAL_HOG_LINE_Y);

struct Placed {
    float distance;
    float dx;
    float dy;
};

// One side's stones in play among those thrown, nearest the tee first.
void EncodeSide(const GameState &state, int parity, std::span<float> slots)
{
    std::array<Placed, TESSIVAL_STONE_COUNT> placed{};
    int count = 0;
    const int thrown = std::clamp(state.shotIndex, 0, TESSIVAL_STONE_COUNT);
    for (int stone = parity; stone < thrown; stone += 2) {
        if (!rules::InPlay(state, stone))
            continue;
        const float dx = state.stones[stone][0] - rules::TEE_X;
        const float dy = state.stones[stone][1] - rules::TEE_Y;
        placed[static_cast<std::size_t>(count++)] = {std::sqrt(dx * dx + dy * dy), dx, dy};
    }
    // Ties broken by the offsets, so that the order depends on the stones alone.
    std::sort(placed.begin(), placed.begin() + count, [](const Placed &a, const Placed &b) {
        if (a.distance != b.distance)
            return a.distance < b.distance;
        return a.dy != b.dy ? a.dy < b.dy : a.dx < b.dx;
    });
    for (int slot = 0; slot < std::min(count, SLOTS); ++slot) {
        const Placed &stone = placed[static_cast<std::size_t>(slot)];
        float *out = slots.data() + slot * SLOT_INPUTS;
        out[0] = 1.0f;
        out[1] = stone.dx / HOUSE_RADIUS;
        out[2] = stone.dy / HOUSE_RADIUS;
        out[3] = stone.distance / HOUSE_RADIUS;
    }
}

// One side's stones in the house and its guards, each over SLOTS.
void CountSide(const GameState &state, int parity, float &house, float &guards)
{
    const int thrown = std::clamp(state.shotIndex, 0, TESSIVAL_STONE_COUNT);
    int inHouse = 0;
    int guarding = 0;
    for (int stone = parity; stone < thrown; stone += 2) {
        if (!rules::InPlay(state, stone))
            continue;
        const float x = state.stones[stone][0];
        const float y = state.stones[stone][1];
        if (rules::InHouse(x, y))
            ++inHouse;
        else if (y > rules::TEE_Y && y < HOG_LINE_Y)
            ++guarding;
    }
    house = static_cast<float>(inHouse) / SLOTS;
    guards = static_cast<float>(guarding) / SLOTS;
}

}  // namespace

EndContext HammerContext(const GameSituation &situation)
{
    EndContext context;
    context.endsLeft = std::max(situation.lastEnd - situation.currentEnd, 0);
    context.extraEnd = situation.currentEnd > situation.lastEnd;
    context.hammerLead = situation.hammer ? situation.lead : -situation.lead;
    return context;
}

void EncodePosition(const GameState &state, const EndContext &context, std::span<float, FEATURE_COUNT> features)
{
    std::fill(features.begin(), features.end(), 0.0f);
    features[static_cast<std::size_t>(std::clamp(state.shotIndex, 0, SHOT_INPUTS - 1))] = 1.0f;
    features[SHOT_INPUTS] =
        static_cast<float>(std::clamp(context.hammerLead, -MAX_INPUT_LEAD, MAX_INPUT_LEAD)) / LEAD_SCALE;
    features[SHOT_INPUTS + 1] = static_cast<float>(std::clamp(context.endsLeft, 0, MAX_INPUT_ENDS)) / ENDS_SCALE;
    features[SHOT_INPUTS + 2] = context.extraEnd ? 1.0f : 0.0f;
    const int score = std::clamp(rules::EndScore(state, HAMMER_SIDE), -MAX_INPUT_SCORE, MAX_INPUT_SCORE);
    features[static_cast<std::size_t>(SCORE_FROM + score + MAX_INPUT_SCORE)] = 1.0f;
    CountSide(state, HAMMER_SIDE, features[COUNTS_FROM], features[COUNTS_FROM + 2]);
    CountSide(state, 1 - HAMMER_SIDE, features[COUNTS_FROM + 1], features[COUNTS_FROM + 3]);
    constexpr std::size_t SIDE_INPUTS = SLOTS * SLOT_INPUTS;
    EncodeSide(state, HAMMER_SIDE, features.subspan(STONES_FROM, SIDE_INPUTS));
    EncodeSide(state, 1 - HAMMER_SIDE, features.subspan(STONES_FROM + SIDE_INPUTS, SIDE_INPUTS));
}

}  // namespace granite::value
