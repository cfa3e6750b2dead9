#include "free_guard_zone.h"

#include "in_play.h"

namespace rules {

bool InFreeGuardZone(const float stone[2])
{
    if (!InPlay(stone))
        return false;
    const auto x = static_cast<double>(stone[0]);
    const auto y = static_cast<double>(stone[1]);
    const double dx = x - TESSIVAL_TEE_X;
    const double dy = y - TESSIVAL_TEE_Y;
    return y > TESSIVAL_TEE_Y && y < TESSIVAL_HOG_LINE_Y &&
           dx * dx + dy * dy > TESSIVAL_HOUSE_REACH * TESSIVAL_HOUSE_REACH;
}

}  // namespace rules
