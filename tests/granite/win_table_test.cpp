// The win table's chances obey the game's rules whatever the end-score distribution.
#include <gtest/gtest.h>

#include "value/win_table.h"

namespace granite::value {
namespace {

// Hammer scores 1 most often; 2, blanks and steals of 1 sometimes.
const EndScoreCounts SKEWED = {0, 0, 0, 0, 0, 0, 0, 10, 15, 50, 25, 0, 0, 0, 0, 0, 0};

class WinTableRules : public ::testing::TestWithParam<EndScoreCounts> {};

TEST_P(WinTableRules, ChancesAreSymmetricMonotoneAndFavourTheHammer)
{
    const WinTable table(GetParam());
    for (int ends = 1; ends <= 10; ++ends)
        for (int lead = -6; lead <= 6; ++lead) {
            for (const bool hammer : {false, true}) {
                const double chance = table.Chance(ends, WinTable::EXTRA_ENDS, lead, hammer);
                EXPECT_NEAR(chance + table.Chance(ends, WinTable::EXTRA_ENDS, -lead, !hammer), 1.0, 1e-12);
                EXPECT_LE(chance, table.Chance(ends, WinTable::EXTRA_ENDS, lead + 1, hammer) + 1e-12);
            }
            const double without = table.Chance(ends, WinTable::EXTRA_ENDS, lead, false);
            const double with = table.Chance(ends, WinTable::EXTRA_ENDS, lead, true);
            if (lead >= -1 && lead <= 1)
                EXPECT_LT(without, with) << ends << " ends, lead " << lead;
            else
                EXPECT_LE(without, with + 1e-12) << ends << " ends, lead " << lead;
        }
}

TEST_P(WinTableRules, TheLastEndDecidesOrGoesToExtraEnds)
{
    const WinTable table(GetParam());
    const GameSituation lastEnd{7, 7, true, -1};
    EXPECT_EQ(table.AfterEnd(lastEnd, 2), 1.0);
    EXPECT_EQ(table.AfterEnd(lastEnd, 0), 0.0);
    // Tied after the last end: an extra end in which the side that gave up a
    // point holds the hammer.
    EXPECT_EQ(table.AfterEnd(lastEnd, 1), table.Chance(0, WinTable::EXTRA_ENDS, 0, false));
    EXPECT_LT(table.AfterEnd(lastEnd, 1), 0.5);
    // After the third extra end a tie is a draw.
    EXPECT_EQ(table.AfterEnd(GameSituation{10, 7, false, 0}, 0), 0.5);
    EXPECT_EQ(table.AfterEnd(GameSituation{9, 7, false, 0}, -1), 0.0);
}

INSTANTIATE_TEST_SUITE_P(Distributions, WinTableRules, ::testing::Values(SKEWED, MEASURED_END_SCORES));

}  // namespace
}  // namespace granite::value
