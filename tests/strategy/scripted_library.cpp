#include "scripted_library.h"

#include "simulator.h"

namespace scripted {

std::vector<Call> calls;
Outcome outcome;
int spinOffset = 0;

namespace {

int simulationCount = 0;

ShotVector Echo(ShotTarget target)
{
    ShotVector vector = {};
    vector.vx = target.x;
    vector.vy = target.y;
    vector.spin = static_cast<uint8_t>(target.spin + spinOffset);
    return vector;
}

int CreateShot(ShotTarget target, ShotVector *shot)
{
    *shot = Echo(target);
    calls.push_back({CREATE_SHOT, target, 0.0f, *shot, nullptr, {}, 0.0f, 0, 0});
    return 1;
}

int CreateHitShot(ShotTarget target, float power, ShotVector *shot)
{
    *shot = Echo(target);
    calls.push_back({CREATE_HIT_SHOT, target, power, *shot, nullptr, {}, 0.0f, 0, 0});
    return 1;
}

int Simulation(GameState *state, ShotVector shot, float randomError, uint32_t seed, int32_t stoneIndex)
{
    calls.push_back({SIMULATION, {}, 0.0f, shot, state, *state, randomError, seed, stoneIndex});
    if (outcome) {
        outcome(*state, shot, simulationCount);
    }
    ++simulationCount;
    return 1;
}

}  // namespace

void Bind()
{
    calls.clear();
    outcome = nullptr;
    spinOffset = 0;
    simulationCount = 0;
    simulator.simulation = Simulation;
    simulator.createShot = CreateShot;
    simulator.createHitShot = CreateHitShot;
}

std::vector<Call> CallsOf(CallKind kind)
{
    std::vector<Call> selected;
    for (const Call &call : calls) {
        if (call.kind == kind) {
            selected.push_back(call);
        }
    }
    return selected;
}

void ArrangeScore(GameState &state, int side, int score)
{
    for (auto &stone : state.stones) {
        stone[0] = 0.0f;
        stone[1] = 0.0f;
    }
    const int holder = score >= 0 ? side : 1 - side;
    const int count = score >= 0 ? score : -score;
    for (int k = 0; k < count; ++k) {
        state.stones[holder + 2 * k][0] = 2.375f;
        state.stones[holder + 2 * k][1] = 4.88f + 0.2f * static_cast<float>(k);
    }
}

Outcome ScoreByCandidate(int side, std::vector<int> scores)
{
    return [side, scores](GameState &state, const ShotVector &, int simulation) {
        const int period = static_cast<int>(scores.size());
        ArrangeScore(state, side, scores[static_cast<size_t>(simulation % period)]);
    };
}

}  // namespace scripted
