#include "search/shot_candidates.h"

#include <algorithm>

#include "in_play.h"
#include "search/sheet.h"

namespace granite::search {

namespace {

// Draw spots relative to the tee: button, the four-foot, the eight-foot, guards.
constexpr float DRAW_SPOTS[][2] = {
    {0.0f, 0.0f}, {-0.6f, 0.0f}, {0.6f, 0.0f}, {0.0f, 0.6f}, {0.0f, -0.6f}, {-1.2f, 0.0f}, {1.2f, 0.0f},
    {0.0f, 1.3f}, {0.0f, -1.0f}, {0.0f, 2.6f}, {0.0f, 3.8f}, {-0.9f, 2.8f}, {0.9f, 2.8f},
};
// Short of the hog line, so the library removes the stone untouched.
constexpr float THROW_AWAY_Y = 16.0f;
constexpr int TARGETED_STONES = 6;
// Power: metres a free stone would still run past the target (tap, takeout, peel).
constexpr float HIT_POWERS[] = {2.5f, 12.0f, 30.0f};
// Across the struck stone: full, and half a stone either side for angles.
constexpr float HIT_OFFSETS[] = {0.0f, -0.13f, 0.13f};
constexpr float FREEZE_GAP = 0.30f;
constexpr float COME_AROUND_DEPTH = 1.0f;
constexpr float GUARD_DISTANCE = 2.2f;
constexpr float HIGHEST_GUARD_Y = 10.5f;
constexpr float DEEPEST_DRAW_Y = 3.4f;

void AddBothSpins(std::vector<ShotPlan> &plans, ShotPlan plan)
{
    for (const int spin : {0, 1}) {
        plan.spin = spin;
        plans.push_back(plan);
    }
}

// Stones in play, nearest the tee first.
std::vector<int> StonesByTeeDistance(const GameState &state)
{
    std::vector<int> stones;
    for (int stone = 0; stone < STONE_COUNT; ++stone)
        if (rules::InPlay(state, stone))
            stones.push_back(stone);
    std::sort(stones.begin(), stones.end(),
              [&](int a, int b) { return TeeDistance(state, a) < TeeDistance(state, b); });
    return stones;
}

void AddShotsAtStone(std::vector<ShotPlan> &plans, float x, float y)
{
    for (const float power : HIT_POWERS)
        for (const float offset : HIT_OFFSETS)
            AddBothSpins(plans, ShotPlan{ShotPlan::HIT, x + offset, y, 0, power});
    AddBothSpins(plans, ShotPlan{ShotPlan::DRAW, x, y + FREEZE_GAP, 0, 0.0f});
    if (y + GUARD_DISTANCE < HIGHEST_GUARD_Y)
        AddBothSpins(plans, ShotPlan{ShotPlan::DRAW, x, y + GUARD_DISTANCE, 0, 0.0f});
    if (y - COME_AROUND_DEPTH > DEEPEST_DRAW_Y)
        AddBothSpins(plans, ShotPlan{ShotPlan::DRAW, x, y - COME_AROUND_DEPTH, 0, 0.0f});
}

}  // namespace

std::vector<ShotPlan> ShotCandidates(const GameState &state)
{
    std::vector<ShotPlan> plans;
    for (const auto &spot : DRAW_SPOTS)
        AddBothSpins(plans, ShotPlan{ShotPlan::DRAW, TEE_X + spot[0], TEE_Y + spot[1], 0, 0.0f});
    plans.push_back(ShotPlan{ShotPlan::DRAW, TEE_X, THROW_AWAY_Y, 0, 0.0f});
    const std::vector<int> stones = StonesByTeeDistance(state);
    const std::size_t targeted = std::min<std::size_t>(stones.size(), TARGETED_STONES);
    for (std::size_t k = 0; k < targeted; ++k) {
        const int stone = stones[k];
        AddShotsAtStone(plans, state.stones[stone][0], state.stones[stone][1]);
    }
    return plans;
}

std::vector<ShotPlan> RefinedAround(const ShotPlan &plan)
{
    constexpr float ACROSS = 0.04f;
    constexpr float ALONG = 0.15f;
    std::vector<ShotPlan> variants;
    for (const float dx : {-ACROSS, ACROSS}) {
        ShotPlan moved = plan;
        moved.x += dx;
        variants.push_back(moved);
    }
    if (plan.kind == ShotPlan::DRAW) {
        if (plan.y >= THROW_AWAY_Y)
            return {};
        for (const float dy : {-ALONG, ALONG}) {
            ShotPlan moved = plan;
            moved.y += dy;
            variants.push_back(moved);
        }
        return variants;
    }
    for (const float factor : {0.6f, 1.6f}) {
        ShotPlan weighted = plan;
        weighted.power *= factor;
        variants.push_back(weighted);
    }
    return variants;
}

}  // namespace granite::search
