// Positions with one clear best plan. granite, with a fixed budget of throws
// and a fixed seed, chooses a shot; the shot is then thrown many times with the
// match's error, and the plan must come off at least at the stated rate.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "end_score.h"
#include "in_play.h"
#include "search/sheet.h"
#include "search/shot_search.h"
#include "value/win_table.h"

namespace granite::search {
namespace {

constexpr long long SEARCH_THROWS = 20000;
constexpr int JUDGING_THROWS = 400;

struct Stone {
    int index;
    float x;
    float y;
};

struct TacticalCase {
    std::string name;
    int shotIndex;
    value::GameSituation situation;
    std::vector<Stone> stones;
    // Whether the position after granite's throw achieves the plan, for the side that threw.
    std::function<bool(const GameState &after, int side)> achieved;
    double rate;
};

GameState Position(const TacticalCase &c)
{
    GameState state;
    std::memset(&state, 0, sizeof state);
    state.shotIndex = c.shotIndex;
    state.currentEnd = c.situation.currentEnd;
    state.lastEnd = c.situation.lastEnd;
    state.sideFlag = c.situation.hammer ? 1 : 0;
    for (const Stone &stone : c.stones) {
        state.stones[stone.index][0] = stone.x;
        state.stones[stone.index][1] = stone.y;
    }
    return state;
}

bool OtherSideOutOfTheHouse(const GameState &after, int side)
{
    for (int stone = 1 - side; stone < STONE_COUNT; stone += 2)
        if (rules::InPlay(after, stone) && TeeDistance(after, stone) < HOUSE_REACH)
            return false;
    return true;
}

void PrintTo(const TacticalCase &c, std::ostream *out)
{
    *out << c.name;
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<TacticalCase, bool>> &info)
{
    return std::get<0>(info.param).name + (std::get<1>(info.param) ? "ByNetwork" : "ByPlayOuts");
}

// Each case is searched by both judges: the value network and the play-outs.
class TacticalSuite : public ::testing::TestWithParam<std::tuple<TacticalCase, bool>> {};

TEST_P(TacticalSuite, ChosenShotAchievesThePlan)
{
    const TacticalCase &c = std::get<0>(GetParam());
    const value::ValueNetwork *network = std::get<1>(GetParam()) ? &value::ValueNetwork::Shipped() : nullptr;
    const GameState root = Sanitized(Position(c));
    const value::WinTable table(value::MEASURED_END_SCORES);
    SearchLimits limits;
    limits.throws = SEARCH_THROWS;
    limits.seed = 2026;
    const SearchResult chosen = SearchShot(root, c.situation, table, network, limits);

    int achieved = 0;
    TessivalGenerator generator{};
    for (int n = 0; n < JUDGING_THROWS; ++n) {
        GameState after = root;
        ASSERT_EQ(SimulationWithGenerator(&after, chosen.vector, RANDOM_ERROR, n == 0 ? 99u : 0u, &generator, -1), 1);
        if (c.achieved(after, root.shotIndex % 2))
            ++achieved;
    }
    const double rate = static_cast<double>(achieved) / JUDGING_THROWS;
    EXPECT_GE(rate, c.rate) << "plan " << chosen.plan.kind << " at (" << chosen.plan.x << ", " << chosen.plan.y
                            << ") spin " << chosen.plan.spin << " power " << chosen.plan.power;
}

const TacticalCase CASES[] = {
    // Second end of eight, tied, the hammer's last stone, guards only: throw
    // it away and keep the hammer rather than take one.
    {"BlankTheEarlyEndRatherThanTakeOne",
     15,
     {1, 7, true, 0},
     {{0, 2.375f, 7.6f}, {2, 1.6f, 8.2f}, {1, 3.1f, 7.9f}},
     [](const GameState &after, int side) { return rules::EndScore(after, side) == 0; },
     0.95},
    // Last end, one down, the other side shot and an own stone second: take
    // it out and stay for two.
    {"TakeOutAndStayForTwoInTheLastEnd",
     15,
     {7, 7, true, -1},
     {{0, 2.40f, 4.95f}, {1, 2.05f, 5.45f}, {2, 3.3f, 8.5f}},
     [](const GameState &after, int side) { return rules::EndScore(after, side) >= 2; },
     0.7},
    // Last end, one up, without the hammer, the other side shot: clear the
    // house so that its last stone can score one at most.
    {"KeepTheHouseCleanOneUpWithoutTheHammer",
     14,
     {7, 7, false, 1},
     {{1, 2.6f, 4.6f}, {3, 1.6f, 7.8f}, {0, 3.2f, 8.9f}},
     OtherSideOutOfTheHouse,
     0.9},
    // Last end, tied, the hammer's last stone, an open house: draw for the win.
    {"DrawForTheWinInTheLastEnd",
     15,
     {7, 7, true, 0},
     {{0, 2.375f, 7.9f}, {2, 1.4f, 7.2f}},
     [](const GameState &after, int side) { return rules::EndScore(after, side) >= 1; },
     0.95},
};

INSTANTIATE_TEST_SUITE_P(Positions, TacticalSuite, ::testing::Combine(::testing::ValuesIn(CASES), ::testing::Bool()),
                         CaseName);

}  // namespace
}  // namespace granite::search
