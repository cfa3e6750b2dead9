// The free guard zone: the guards it keeps in play early in an end.
#pragma once

#include "tessival.h"

namespace rules {

// In double precision: TESSIVAL_TEE_Y < y < TESSIVAL_HOG_LINE_Y and farther
// than TESSIVAL_HOUSE_REACH from the tee (no part over the house); never a
// stone out of play at (0, 0).
bool InFreeGuardZone(const float stone[2]);

// The throw of stone `delivered` may not remove stone `guard` (indices 0 to
// 15) from the zone: it is one of the first five and the guard is the other
// side's.
inline bool FreeGuardZoneProtects(int delivered, int guard)
{
    return delivered <= TESSIVAL_FREE_GUARD_ZONE_LAST_STONE && guard % 2 != delivered % 2;
}

}  // namespace rules
