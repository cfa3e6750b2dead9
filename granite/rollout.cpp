#include "rollout.h"

#include "sheet.h"
#include "shot_plan.h"

namespace {

constexpr int LAST_STONE = 15;
constexpr float TAKEOUT_POWER = 12.0f;
constexpr float DRAW_SPREAD = 0.45f;
constexpr float THROW_AWAY_Y = 16.0f;

ShotPlan PolicyPlan(const GameState &state, const RolloutPolicy &policy, SplitMix &choices)
{
    const int side = state.shotIndex % 2;
    const int spin = static_cast<int>(choices.Next() & 1);
    const int shot = ShotStone(state);
    if (shot >= 0 && shot % 2 != side)
        return {ShotPlan::HIT, state.stones[shot][0], state.stones[shot][1], spin, TAKEOUT_POWER};
    if (state.shotIndex == LAST_STONE && shot < 0 && policy.hammerBlanksEmptyHouse)
        return {ShotPlan::DRAW, TEE_X, THROW_AWAY_Y, spin, 0.0f};
    return {ShotPlan::DRAW, TEE_X + DRAW_SPREAD * choices.Symmetric(), TEE_Y + DRAW_SPREAD * choices.Symmetric(),
            spin, 0.0f};
}

}  // namespace

int PlayOut(GameState &state, const RolloutPolicy &policy, TessivalGenerator &generator, SplitMix &choices)
{
    int throws = 0;
    while (state.shotIndex >= 0 && state.shotIndex <= LAST_STONE) {
        const std::optional<ShotVector> vector = BuildVector(PolicyPlan(state, policy, choices));
        if (!vector || SimulationWithGenerator(&state, *vector, RANDOM_ERROR, 0, &generator, -1) == 0) break;
        ++throws;
    }
    return throws;
}
