// granite's time manager: which shots get more of the clock, and whole games
// on plausible clocks that use most of them and never run out.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <utility>

#include "search/sheet.h"
#include "time_manager.h"

namespace {

using granite::ThinkMilliseconds;
using granite::search::TEE_X;
using granite::search::TEE_Y;

GameState Shot(int shotIndex, int currentEnd = 7, int lastEnd = 7)
{
    GameState state = {};
    state.shotIndex = shotIndex;
    state.currentEnd = currentEnd;
    state.lastEnd = lastEnd;
    return state;
}

// Both sides near the button make a close position; one side's stones alone,
// with the other side's far out in the house, do not.
TEST(TimeManager, ClosePositionsGetMore)
{
    GameState open = Shot(10);
    const float stones[3][2] = {{TEE_X, TEE_Y + 0.3f}, {TEE_X + 1.7f, TEE_Y}, {TEE_X + 0.5f, TEE_Y}};
    std::copy(&stones[0][0], &stones[0][0] + 6, &open.stones[0][0]);
    GameState close = open;
    close.stones[3][0] = TEE_X - 0.8f;
    close.stones[3][1] = TEE_Y + 0.4f;
    EXPECT_EQ(ThinkMilliseconds(open, 20000.0), ThinkMilliseconds(Shot(10), 20000.0));
    EXPECT_GT(ThinkMilliseconds(close, 20000.0), ThinkMilliseconds(open, 20000.0));
}

// Later stones get more, the hammer's last of the last end most, yet no more
// than a quarter of the clock nor 30 s; a clock nearly out, or ends without
// number to come, still give a tiny positive time.
TEST(TimeManager, CapsAndFloors)
{
    for (const double clockMs : {500.0, 10000.0, 100000.0}) {
        const double last = ThinkMilliseconds(Shot(15), clockMs);
        EXPECT_GT(last, ThinkMilliseconds(Shot(13), clockMs)) << clockMs;
        EXPECT_GT(ThinkMilliseconds(Shot(13), clockMs), ThinkMilliseconds(Shot(1), clockMs)) << clockMs;
        EXPECT_LE(last, clockMs / 4.0) << clockMs;
    }
    EXPECT_LE(ThinkMilliseconds(Shot(15), 3600000.0), 30000.0);
    for (const double clockMs : {0.0, 3.0, 40.0, 400.0}) {
        for (const int shotIndex : {-3, 0, 15, 99}) {
            const double think = ThinkMilliseconds(Shot(shotIndex, 2, 7), clockMs);
            EXPECT_GT(think, 0.0) << clockMs;
            EXPECT_LE(think, std::max(1.0, clockMs / 4.0)) << clockMs;
        }
    }
    const double endless = ThinkMilliseconds(Shot(0, 0, INT_MAX), 60000.0);
    EXPECT_GT(endless, 0.0);
    EXPECT_LT(endless, 5.0);
}

struct GameOnTheClock {
    double leftMs;         // at the end of the game
    double lowestMs;       // after any shot
    double thoughtMs[16];  // by stone index, summed over the game
};

// One side's game of ends regular and extras extra ends on a clock of
// seconds+increment, with the hammer in the first end when hammerFirst. Each
// shot costs what the manager measures: the think time stretched by overrun,
// plus overheadMs. An extra end adds seconds / ends, as the manager does.
GameOnTheClock Play(double seconds, double incrementMs, int extras, bool hammerFirst, double overrun, double overheadMs)
{
    constexpr int ENDS = 8;
    GameOnTheClock game = {seconds * 1000.0, seconds * 1000.0, {}};
    for (int end = 0; end < ENDS + extras; ++end) {
        if (end >= ENDS)
            game.leftMs += seconds * 1000.0 / ENDS;
        for (int stone = (end % 2 == 0) == hammerFirst ? 1 : 0; stone < 16; stone += 2) {
            const double think = ThinkMilliseconds(Shot(stone, end, ENDS - 1), game.leftMs);
            game.thoughtMs[stone] += think;
            game.leftMs -= think * overrun + overheadMs;
            game.lowestMs = std::min(game.lowestMs, game.leftMs);
            game.leftMs += incrementMs;
        }
    }
    return game;
}

// Plausible clocks, either side, with a search that overruns a little and a
// manager that measures 25 ms a shot beyond it: most of the clock is used, the
// decisive stones get far more than the guards, and some time always remains,
// also through three extra ends or with a far worse overrun.
TEST(TimeManager, AGameUsesMostOfTheClockAndNeverRunsOut)
{
    for (const auto &[seconds, incrementMs] : {std::pair{60.0, 0.0}, {10.0, 0.0}, {300.0, 1000.0}, {20.0, 0.0}}) {
        for (const bool hammerFirst : {true, false}) {
            const std::string name = std::to_string(seconds) + "+" + std::to_string(incrementMs) +
                                     (hammerFirst ? " with the hammer" : " without");
            const double totalMs = seconds * 1000.0 + 32 * incrementMs;
            const GameOnTheClock game = Play(seconds, incrementMs, 0, hammerFirst, 1.05, 25.0);
            EXPECT_GT(1.0 - game.leftMs / totalMs, 0.6) << name;
            EXPECT_LT(1.0 - game.leftMs / totalMs, 0.9) << name;
            EXPECT_GT(game.thoughtMs[hammerFirst ? 15 : 14], game.thoughtMs[hammerFirst ? 1 : 0] * 2.0) << name;
            EXPECT_GT(Play(seconds, incrementMs, 3, hammerFirst, 1.05, 25.0).lowestMs, 0.0) << name;
            EXPECT_GT(Play(seconds, incrementMs, 0, hammerFirst, 1.5, 40.0).lowestMs, 0.0) << name;
        }
    }
}

}  // namespace
