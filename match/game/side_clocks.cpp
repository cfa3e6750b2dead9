#include "game/side_clocks.h"

#include <algorithm>
#include <cmath>

namespace match::game {

namespace {

constexpr double MS_PER_SECOND = 1000.0;

}  // namespace

GameClock::GameClock(PerSide<TimeControl> controls, int regularEnds)
    : controls_(controls),
      regularEnds_(regularEnds), leftMs_{controls[0].seconds * MS_PER_SECOND, controls[1].seconds * MS_PER_SECOND}
{
}

void GameClock::StartEnd(int index)
{
    if (index < regularEnds_)
        return;
    for (std::size_t side = 0; side < leftMs_.size(); ++side)
        leftMs_[side] += controls_[side].seconds * MS_PER_SECOND / regularEnds_;
}

void GameClock::Spend(Side side, double thinkMs)
{
    auto k = static_cast<std::size_t>(Index(side));
    leftMs_[k] = std::max(leftMs_[k] - thinkMs, 0.0) + controls_[k].increment * MS_PER_SECOND;
}

void GameClock::RunOut(Side side)
{
    leftMs_[static_cast<std::size_t>(Index(side))] = 0.0;
}

long long GameClock::LeftMs(Side side) const
{
    return static_cast<long long>(std::floor(leftMs_[static_cast<std::size_t>(Index(side))]));
}

}  // namespace match::game
