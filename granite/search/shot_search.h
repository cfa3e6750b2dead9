#pragma once

#include <cstdint>

#include "search/shot_plan.h"
#include "tessival.h"
#include "value/game_situation.h"
#include "value/value_network.h"
#include "value/win_table.h"

namespace granite::search {

struct SearchLimits {
    // The time to spend, when throws is 0; by default a whole 8-end game takes well under 20 s.
    double thinkSeconds = 0.15;
    long long throws = 0;  // a budget of simulated throws instead of time
    int threads = 1;
    std::uint64_t seed = 1;
};

struct SearchResult {
    ShotPlan plan;
    ShotVector vector;
    double value;      // the mean chance of winning the game found for it
    int samples;       // the noisy throws it was judged on
    long long throws;  // every throw the search simulated
};

// The shot for the side to move in a sanitized state, chosen by sequential
// halving over the candidates: each round throws every surviving candidate
// again with random error, judges where the stones came to rest, and keeps
// the better half; after the first round the aim is refined around the three
// best. A throw is judged by playing the end out with the fast policy, or,
// with a network, by playing the next two stones so and then the network's
// distribution of the end's score; either way each end score is worth its
// chance of winning the game. Within a throw
// budget the result depends on the arguments alone, whatever the threads.
SearchResult SearchShot(const GameState &state, const value::GameSituation &situation, const value::WinTable &table,
                        const value::ValueNetwork *network, const SearchLimits &limits);

}  // namespace granite::search
