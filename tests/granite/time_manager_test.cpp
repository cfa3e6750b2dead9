// granite's time manager: which shots get more of the clock, and whole games
// played on plausible clocks that use most of them and never run out.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

#include "search/sheet.h"
#include "time_manager.h"

namespace {

using granite::ShotsLeft;
using granite::ShotWeight;
using granite::ThinkMilliseconds;

GameState Shot(int shotIndex, int currentEnd = 7, int lastEnd = 7)
{
    GameState state = {};
    state.shotIndex = shotIndex;
    state.currentEnd = currentEnd;
    state.lastEnd = lastEnd;
    return state;
}

void Place(GameState &state, int stone, float x, float y)
{
    state.stones[stone][0] = x;
    state.stones[stone][1] = y;
}

TEST(TimeManager, LaterStonesOfAnEndWeighMoreTheHammersLastMost)
{
    double previous = 0.0;
    for (int shotIndex : {0, 4, 8, 12, 14, 15}) {
        const double weight = ShotWeight(Shot(shotIndex));
        EXPECT_GT(weight, previous) << shotIndex;
        previous = weight;
    }
    EXPECT_EQ(ShotWeight(Shot(-3)), ShotWeight(Shot(0)));
    EXPECT_EQ(ShotWeight(Shot(99)), ShotWeight(Shot(15)));
}

// Both sides near the button make a close position; one side's stones alone, or
// the other side's far out in the house, do not.
TEST(TimeManager, ClosePositionsWeighMore)
{
    GameState open = Shot(10);
    Place(open, 0, granite::search::TEE_X, granite::search::TEE_Y + 0.3f);
    Place(open, 2, granite::search::TEE_X + 0.5f, granite::search::TEE_Y);
    Place(open, 1, granite::search::TEE_X + 1.7f, granite::search::TEE_Y);
    GameState close = open;
    Place(close, 3, granite::search::TEE_X - 0.8f, granite::search::TEE_Y + 0.4f);
    EXPECT_EQ(ShotWeight(open), ShotWeight(Shot(10)));
    EXPECT_GT(ShotWeight(close), ShotWeight(open));
    EXPECT_GT(ThinkMilliseconds(close, 20000.0), ThinkMilliseconds(open, 20000.0));
}

TEST(TimeManager, ShotsLeftCountTheEndAndTheRegularEndsToCome)
{
    EXPECT_EQ(ShotsLeft(Shot(0, 0, 7)), 64);
    EXPECT_EQ(ShotsLeft(Shot(1, 0, 7)), 64);
    EXPECT_EQ(ShotsLeft(Shot(9, 5, 7)), 4 + 16);
    EXPECT_EQ(ShotsLeft(Shot(14)), 1);
    EXPECT_EQ(ShotsLeft(Shot(15)), 1);
    EXPECT_EQ(ShotsLeft(Shot(3, 9, 7)), 7) << "an extra end";
    EXPECT_GT(ShotsLeft(Shot(0, 0, INT_MAX)), 0) << "no overflow";
}

// The hammer's last stone of the last end takes the most of anything, yet no
// more than a quarter of the clock, nor more than 30 s on a long clock.
TEST(TimeManager, TheLastStoneIsCappedBelowTheWholeClock)
{
    EXPECT_LE(ThinkMilliseconds(Shot(15), 3600000.0), 30000.0);
    for (const double clockMs : {500.0, 10000.0, 100000.0}) {
        const double last = ThinkMilliseconds(Shot(15), clockMs);
        EXPECT_GT(last, ThinkMilliseconds(Shot(13), clockMs)) << clockMs;
        EXPECT_GT(ThinkMilliseconds(Shot(13), clockMs), ThinkMilliseconds(Shot(1), clockMs)) << clockMs;
        EXPECT_LE(last, clockMs / 4.0) << clockMs;
    }
}

TEST(TimeManager, AClockNearlyOutGivesATinyPositiveBudget)
{
    for (const double clockMs : {0.0, 3.0, 40.0, 400.0}) {
        for (int shotIndex : {0, 15}) {
            const double think = ThinkMilliseconds(Shot(shotIndex, 2, 7), clockMs);
            EXPECT_GT(think, 0.0) << clockMs;
            EXPECT_LE(think, std::max(1.0, clockMs / 4.0)) << clockMs;
        }
    }
    EXPECT_GT(ThinkMilliseconds(Shot(0, 0, INT_MAX), 60000.0), 0.0);
}

struct GameOnTheClock {
    double leftMs;         // at the end of the game
    double lowestMs;       // after any shot
    double thoughtMs[16];  // by stone index, summed over the game
};

// One side's game of ends regular ends and extras extra ends on a clock of
// seconds+increment, holding the hammer in the first end when hammerFirst.
// Each shot costs what the manager measures: the think time stretched by
// overrun, plus overheadMs. An extra end adds seconds / ends, as the manager does.
GameOnTheClock Play(double seconds, double incrementMs, int ends, int extras, bool hammerFirst, double overrun,
                    double overheadMs)
{
    GameOnTheClock game = {seconds * 1000.0, seconds * 1000.0, {}};
    for (int end = 0; end < ends + extras; ++end) {
        if (end >= ends)
            game.leftMs += seconds * 1000.0 / ends;
        const int first = (end % 2 == 0) == hammerFirst ? 1 : 0;
        for (int stone = first; stone < 16; stone += 2) {
            const double think = ThinkMilliseconds(Shot(stone, end, ends - 1), game.leftMs);
            game.thoughtMs[stone] += think;
            game.leftMs -= think * overrun + overheadMs;
            game.lowestMs = std::min(game.lowestMs, game.leftMs);
            game.leftMs += incrementMs;
        }
    }
    return game;
}

// Plausible clocks, either side, with a search that overruns a little and a
// manager that measures 25 ms a shot beyond it: most of the clock is used, and
// some always remains, also through three extra ends or a far worse overrun.
TEST(TimeManager, AGameUsesMostOfTheClockAndNeverRunsOut)
{
    struct Clock {
        double seconds;
        double incrementMs;
    };
    for (const Clock clock : {Clock{60, 0}, Clock{10, 0}, Clock{300, 1000}, Clock{20, 0}}) {
        for (const bool hammerFirst : {true, false}) {
            const std::string name = std::to_string(clock.seconds) + "+" + std::to_string(clock.incrementMs) +
                                     (hammerFirst ? " with the hammer" : " without");
            const double totalMs = clock.seconds * 1000.0 + 32 * clock.incrementMs;
            const GameOnTheClock game = Play(clock.seconds, clock.incrementMs, 8, 0, hammerFirst, 1.05, 25.0);
            EXPECT_GT(1.0 - game.leftMs / totalMs, 0.6) << name;
            EXPECT_LT(1.0 - game.leftMs / totalMs, 0.9) << name;
            EXPECT_GT(game.thoughtMs[hammerFirst ? 15 : 14], game.thoughtMs[hammerFirst ? 1 : 0] * 2.0) << name;
            EXPECT_GT(Play(clock.seconds, clock.incrementMs, 8, 3, hammerFirst, 1.05, 25.0).lowestMs, 0.0) << name;
            EXPECT_GT(Play(clock.seconds, clock.incrementMs, 8, 0, hammerFirst, 1.5, 40.0).lowestMs, 0.0) << name;
        }
    }
}

}  // namespace
