#include "physics_double.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game_state.h"
#include "simulator.h"

namespace {

constexpr float RELEASE_Y = 33.227f;

void Require(bool kept, const char *promise)
{
    if (!kept) {
        std::fprintf(stderr, "the engine broke its side of the library contract: %s\n", promise);
        std::abort();
    }
}

bool UsableTarget(const ShotTarget &target)
{
    return std::isfinite(target.x) && std::isfinite(target.y) && target.spin <= 1 && target.y < RELEASE_Y;
}

bool OnSheet(float x, float y)
{
    return x > 0.145f && x < 4.605f && y > 2.905f && y < RELEASE_Y;
}

// A made vector names its target: (vx, vy) = (x, y).
int Echo(ShotTarget target, ShotVector *shot)
{
    Require(shot != nullptr, "a vector to fill");
    if (!UsableTarget(target)) {
        return 0;
    }
    ShotVector made;
    std::memset(&made, 0, sizeof made);
    made.vx = target.x;
    made.vy = target.y;
    made.spin = target.spin;
    *shot = made;
    return 1;
}

int DrawShot(ShotTarget target, ShotVector *shot)
{
    return Echo(target, shot);
}

int HitShot(ShotTarget target, float power, ShotVector *shot)
{
    Require(power == 12.0f, "every hit has power 12");
    return Echo(target, shot);
}

// The delivered stone comes to rest at the target its vector names, or leaves
// the sheet when that lies off it; the other stones stay.
int Throw(GameState *state, ShotVector shot, float randomError, uint32_t seed, int32_t stoneIndex)
{
    Require(state != nullptr, "a state to play on");
    Require(state != &gameState, "only copies of the global state are played on");
    Require(randomError == 0.145f && seed == 0 && stoneIndex == -1, "every throw passes 0.145, 0 and -1");
    const bool usable = std::isfinite(shot.vx) && std::isfinite(shot.vy) && shot.spin <= 1;
    if (!usable || state->shotIndex < 0 || state->shotIndex > 15) {
        return 0;
    }
    float *stone = state->stones[state->shotIndex];
    const bool stays = OnSheet(shot.vx, shot.vy);
    stone[0] = stays ? shot.vx : 0.0f;
    stone[1] = stays ? shot.vy : 0.0f;
    ++state->shotIndex;
    return 1;
}

}  // namespace

void BindPhysicsDouble()
{
    simulator.simulation = Throw;
    simulator.createShot = DrawShot;
    simulator.createHitShot = HitShot;
}
