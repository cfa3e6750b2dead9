#include "time_manager.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "in_play.h"
#include "search/sheet.h"

namespace granite {

namespace {

using search::STONE_COUNT;

// Each stone's weight by its index in the end: the guards of the free guard
// zone least, the last four most, the hammer's last stone (15) above all.
constexpr std::array<double, STONE_COUNT> STONE_WEIGHTS = {0.5, 0.5, 0.5, 0.5, 0.8, 0.8, 0.8, 0.8,
                                                           1.0, 1.0, 1.0, 1.0, 1.4, 1.4, 1.7, 2.2};
// One side's stones of a whole end, by weight: half of all sixteen.
constexpr double END_WEIGHT = std::accumulate(STONE_WEIGHTS.begin(), STONE_WEIGHTS.end(), 0.0) / 2.0;
constexpr int STONES_PER_SIDE = STONE_COUNT / 2;
// A stone of each side within this of the tee (metres, the eight-foot ring)
// makes a close position, worth this much more.
constexpr float NEAR_BUTTON = 1.22f;
constexpr double CLOSE_FACTOR = 1.3;
// Regular ends to come beyond this count as this many: the time per shot is
// then tiny anyway.
constexpr int MAX_ENDS_TO_COME = 1000;
// Kept back: a share of the clock, and ends' worth of time for extra ends
// (the manager adds time at their start, but how much is its own).
constexpr double RESERVE_SHARE = 0.15;
constexpr double EXTRA_ENDS = 1.5;
// Milliseconds per shot the manager measures beyond the search: process
// start, pipes, threads, the search's last chunk, a loaded machine.
constexpr double SHOT_OVERHEAD_MS = 25.0;
// No shot plans more than this share of the clock, nor more than half the
// match manager's default cap per reply (60 s), which a long clock would pass.
constexpr double MAX_CLOCK_SHARE = 0.25;
constexpr double MAX_THINK_MS = 30000.0;
constexpr double MIN_THINK_MS = 1.0;

// The shot index as a stone's index, 0 to 15.
int StoneIndex(const GameState &state)
{
    return std::clamp(state.shotIndex, 0, STONE_COUNT - 1);
}

bool SideNearButton(const GameState &state, int side)
{
    for (int stone = side; stone < STONE_COUNT; stone += 2) {
        if (rules::InPlay(state, stone) && search::TeeDistance(state, stone) < NEAR_BUTTON)
            return true;
    }
    return false;
}

int RegularEndsToCome(const GameState &state)
{
    const long long ends = static_cast<long long>(state.lastEnd) - state.currentEnd;
    return static_cast<int>(std::clamp(ends, 0LL, static_cast<long long>(MAX_ENDS_TO_COME)));
}

// The weight of the side to move's later stones of this end, at the stones' own weights.
double LaterStonesWeight(const GameState &state)
{
    double weight = 0.0;
    for (int stone = StoneIndex(state) + 2; stone < STONE_COUNT; stone += 2)
        weight += STONE_WEIGHTS[static_cast<std::size_t>(stone)];
    return weight;
}

// The stones the side to move still throws in the game, this one included;
// extra ends not counted.
int ShotsLeft(const GameState &state)
{
    return (STONE_COUNT + 1 - StoneIndex(state)) / 2 + STONES_PER_SIDE * RegularEndsToCome(state);
}

// How much the shot deserves of the time, an average shot's being about 1.
double ShotWeight(const GameState &state)
{
    const double weight = STONE_WEIGHTS[static_cast<std::size_t>(StoneIndex(state))];
    const bool close = SideNearButton(state, 0) && SideNearButton(state, 1);
    return close ? weight * CLOSE_FACTOR : weight;
}

}  // namespace

double ThinkMilliseconds(const GameState &state, double clockMs)
{
    const double weight = ShotWeight(state);
    const double endsToCome = RegularEndsToCome(state) + EXTRA_ENDS;
    const double weightLeft = weight + LaterStonesWeight(state) + END_WEIGHT * endsToCome;
    const double shotsLeft = ShotsLeft(state) + STONES_PER_SIDE * EXTRA_ENDS;
    const double spare = clockMs * (1.0 - RESERVE_SHARE) - SHOT_OVERHEAD_MS * shotsLeft;
    const double planned = std::min({spare * weight / weightLeft, clockMs * MAX_CLOCK_SHARE, MAX_THINK_MS});
    return std::max(planned, MIN_THINK_MS);
}

}  // namespace granite
