// A stand-in physics library for running the engine through its protocol:
// builds echo their target (a draw's vy is the target y, a hit's vy its power)
// and a throw leaves the position as it was, so replies are known in advance.
#include "tessival.h"

extern "C" {

TESSIVAL_API int CreateShot(ShotTarget target, ShotVector *shot)
{
    *shot = ShotVector{target.x, target.y, target.spin};
    return 1;
}

#ifndef WITHOUT_HIT_SHOT
TESSIVAL_API int CreateHitShot(ShotTarget target, float power, ShotVector *shot)
{
    *shot = ShotVector{target.x, power, target.spin};
    return 1;
}
#endif

TESSIVAL_API int Simulation(GameState *, ShotVector, float, uint32_t, int32_t)
{
    return 1;
}
}
