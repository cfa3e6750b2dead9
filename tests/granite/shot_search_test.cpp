// granite's search within a budget of throws: the answer depends on the
// position, the situation and the seed alone, whatever the threads. Named
// Concurrent so that the thread sanitizer's run picks it up.
#include <gtest/gtest.h>

#include <cstring>

#include "search/sheet.h"
#include "search/shot_search.h"
#include "value/end_score_distribution.h"
#include "value/win_table.h"

namespace granite::search {
namespace {

struct SearchCase {
    int shotIndex;
    value::GameSituation situation;
    float stones[4][2];
};

// An early stone of an end and the last stone before the hammer's.
const SearchCase CASES[] = {
    {4, {2, 7, true, -1}, {{2.375f, 7.6f}, {2.6f, 4.6f}, {1.6f, 5.2f}, {3.0f, 8.9f}}},
    {14, {7, 7, false, 1}, {{3.2f, 8.9f}, {2.6f, 4.6f}, {2.1f, 5.3f}, {1.6f, 7.8f}}},
};

GameState Position(const SearchCase &c)
{
    GameState state;
    std::memset(&state, 0, sizeof state);
    state.shotIndex = c.shotIndex;
    state.currentEnd = c.situation.currentEnd;
    state.lastEnd = c.situation.lastEnd;
    state.sideFlag = c.situation.hammer ? 1 : 0;
    std::memcpy(state.stones, c.stones, sizeof c.stones);
    return Sanitized(state);
}

TEST(SearchShotConcurrent, TheAnswerWithinABudgetIsTheSameWhateverTheThreads)
{
    const value::WinTable table(value::MEASURED_END_SCORES);
    for (const value::ValueNetwork *network :
         {static_cast<const value::ValueNetwork *>(nullptr), &value::ValueNetwork::Shipped()})
        for (const SearchCase &c : CASES) {
            SearchLimits limits;
            limits.throws = 4000;
            limits.seed = 11;
            const SearchResult alone = SearchShot(Position(c), c.situation, table, network, limits);
            for (const int threads : {2, 4}) {
                limits.threads = threads;
                const SearchResult together = SearchShot(Position(c), c.situation, table, network, limits);
                EXPECT_EQ(std::memcmp(&alone.vector, &together.vector, sizeof alone.vector), 0) << threads;
                EXPECT_EQ(alone.value, together.value) << threads;
                EXPECT_EQ(alone.samples, together.samples) << threads;
                EXPECT_EQ(alone.throws, together.throws) << threads;
            }
        }
}

}  // namespace
}  // namespace granite::search
