// Where a stone can lie at rest: on the sheet, and clear of the other stones.
#pragma once

#include "tessival.h"

namespace rules {

// Centres this far apart touch.
inline constexpr double CONTACT_DISTANCE = 2.0 * TESSIVAL_STONE_RADIUS;
// Stones given overlapping by more than this (m) pass through each other;
// touching stones read back from text may overlap by a rounding.
inline constexpr double OVERLAP_IGNORED = 1e-3;

// The centre clear of both side lines by a radius, the stone not wholly past
// the back line, and short of the release.
inline bool OnSheet(double x, double y)
{
    return x > TESSIVAL_STONE_RADIUS && x < TESSIVAL_SHEET_WIDTH - TESSIVAL_STONE_RADIUS &&
           y > TESSIVAL_BACK_LINE_Y - TESSIVAL_STONE_RADIUS && y < TESSIVAL_RELEASE_Y;
}

// Two stones at rest overlapping by more than OVERLAP_IGNORED.
inline bool Overlapping(const float a[2], const float b[2])
{
    const double dx = static_cast<double>(a[0]) - static_cast<double>(b[0]);
    const double dy = static_cast<double>(a[1]) - static_cast<double>(b[1]);
    const double reach = CONTACT_DISTANCE - OVERLAP_IGNORED;
    return dx * dx + dy * dy < reach * reach;
}

}  // namespace rules
