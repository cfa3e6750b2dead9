#include "search/shot_plan.h"

#include <cstdint>

namespace granite::search {

std::optional<ShotVector> BuildVector(const ShotPlan &plan)
{
    const ShotTarget target{plan.x, plan.y, static_cast<std::uint8_t>(plan.spin)};
    ShotVector vector{};
    const int built =
        plan.kind == ShotPlan::DRAW ? CreateShot(target, &vector) : CreateHitShot(target, plan.power, &vector);
    if (built == 0)
        return std::nullopt;
    return vector;
}

}  // namespace granite::search
