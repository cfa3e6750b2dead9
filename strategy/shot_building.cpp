#include "shot_building.h"

#include "simulator.h"

ShotVector BuildShot(ShotKind kind, ShotTarget target)
{
    ShotVector vector = {};
    if (kind == HIT_SHOT) {
        simulator.createHitShot(target, HIT_POWER, &vector);
    } else {
        simulator.createShot(target, &vector);
    }
    return vector;
}

void SimulateShot(GameState &state, ShotVector vector, float randomError)
{
    simulator.simulation(&state, vector, randomError, 0, -1);
}

ShotTarget MakeTarget(float x, float y, int spin)
{
    ShotTarget target = {};
    target.x = x;
    target.y = y;
    target.spin = static_cast<uint8_t>(spin);
    return target;
}
