#include "search/rollout.h"

#include <optional>
#include <vector>

#include "end_score.h"
#include "search/sheet.h"
#include "search/shot_plan.h"

namespace granite::search {

namespace {

constexpr int LAST_STONE = 15;
constexpr float TAKEOUT_POWER = 12.0f;
constexpr float PEEL_POWER = 30.0f;
constexpr float DRAW_SPREAD = 0.45f;
constexpr float TOP_OF_FOUR_FOOT = 0.6f;
constexpr float THROW_AWAY_Y = 16.0f;
// Among equal chances of winning, a better end score wins: keeps sensible play
// when the game is decided either way.
constexpr double END_SCORE_TIE_BREAK = 1e-3;
// Hitting this far off the struck stone's centre sends the shooter on out of
// the house too (a full hit would leave it where the struck stone was).
constexpr float ROLL_OUT_OFFSET = 0.13f;

ShotPlan HitAndRollOut(const GameState &state, int stone, int spin)
{
    const float offset = spin == 0 ? -ROLL_OUT_OFFSET : ROLL_OUT_OFFSET;
    return {ShotPlan::HIT, state.stones[stone][0] + offset, state.stones[stone][1], spin, PEEL_POWER};
}

}  // namespace

RolloutPolicy PolicyFor(const value::WinTable &table, const value::GameSituation &situation, int rootSide)
{
    RolloutPolicy policy;
    policy.rootSide = rootSide;
    for (int score = -value::MAX_END_SCORE; score <= value::MAX_END_SCORE; ++score)
        policy.endValue[static_cast<std::size_t>(score + value::MAX_END_SCORE)] =
            table.AfterEnd(situation, score) + END_SCORE_TIE_BREAK * score;
    const int hammerScoresOne = situation.hammer ? 1 : -1;
    policy.hammerKeepsHouseClean =
        situation.hammer == (table.AfterEnd(situation, 0) > table.AfterEnd(situation, hammerScoresOne));
    return policy;
}

ShotPlan PolicyPlan(const GameState &state, const RolloutPolicy &policy, SplitMix &choices)
{
    const int side = state.shotIndex % 2;
    const int spin = static_cast<int>(choices.Next() & 1);
    const int shot = ShotStone(state);
    const bool keepClean = side == value::HAMMER_SIDE && policy.hammerKeepsHouseClean;
    if (shot >= 0 && shot % 2 != side)
        return keepClean ? HitAndRollOut(state, shot, spin)
                         : ShotPlan{ShotPlan::HIT, state.stones[shot][0], state.stones[shot][1], spin, TAKEOUT_POWER};
    return {ShotPlan::DRAW, TEE_X + DRAW_SPREAD * choices.Symmetric(), TEE_Y + DRAW_SPREAD * choices.Symmetric(), spin,
            0.0f};
}

namespace {

std::vector<ShotPlan> LastStoneOptions(const GameState &state, int spin)
{
    std::vector<ShotPlan> options = {{ShotPlan::DRAW, TEE_X, TEE_Y, spin, 0.0f},
                                     {ShotPlan::DRAW, TEE_X, TEE_Y + TOP_OF_FOUR_FOOT, spin, 0.0f},
                                     {ShotPlan::DRAW, TEE_X, THROW_AWAY_Y, spin, 0.0f}};
    const int shot = ShotStone(state);
    if (shot < 0)
        return options;
    if (shot % 2 != state.shotIndex % 2)
        options.push_back({ShotPlan::HIT, state.stones[shot][0], state.stones[shot][1], spin, TAKEOUT_POWER});
    options.push_back(HitAndRollOut(state, shot, spin));
    return options;
}

// The last stone's option whose error-free outcome is worth most to its thrower.
ShotPlan BestLastStone(const GameState &state, const RolloutPolicy &policy, SplitMix &choices,
                       TessivalGenerator &generator, int &throws)
{
    const bool forRoot = state.shotIndex % 2 == policy.rootSide;
    const std::vector<ShotPlan> options = LastStoneOptions(state, static_cast<int>(choices.Next() & 1));
    ShotPlan best = options.front();
    double bestWorth = -1e9;
    for (const ShotPlan &option : options) {
        const std::optional<ShotVector> vector = BuildVector(option);
        GameState tried = state;
        if (!vector || SimulationWithGenerator(&tried, *vector, 0.0f, 0, &generator, -1) == 0)
            continue;
        ++throws;
        const double worthForRoot =
            policy.endValue[static_cast<std::size_t>(rules::EndScore(tried, policy.rootSide) + value::MAX_END_SCORE)];
        const double worth = forRoot ? worthForRoot : -worthForRoot;
        if (worth > bestWorth) {
            best = option;
            bestWorth = worth;
        }
    }
    return best;
}

}  // namespace

int PlayOut(GameState &state, const RolloutPolicy &policy, TessivalGenerator &generator, SplitMix &choices, int stopAt)
{
    int throws = 0;
    while (state.shotIndex >= 0 && state.shotIndex <= LAST_STONE && state.shotIndex < stopAt) {
        const ShotPlan plan = state.shotIndex == LAST_STONE ? BestLastStone(state, policy, choices, generator, throws)
                                                            : PolicyPlan(state, policy, choices);
        const std::optional<ShotVector> vector = BuildVector(plan);
        if (!vector || SimulationWithGenerator(&state, *vector, RANDOM_ERROR, 0, &generator, -1) == 0)
            break;
        ++throws;
    }
    return throws;
}

}  // namespace granite::search
