#pragma once

#include <vector>

#include "learn/end_positions.h"
#include "value/value_network.h"

namespace granite::learn {

// How granite's last stone of an end follows its own win table where that
// table would rather blank than score one.
struct Fidelity {
    int positions = 0;  // last stones where the table prefers a blank to one
    // The chosen shot thrown without error: the end's score for the thrower.
    int blanks = 0;
    int ones = 0;
    int more = 0;              // two or more
    int steals = 0;            // the other side scores
    double noisyBlanks = 0.0;  // share of blanks over NOISY_THROWS throws of each with the match's error
};

inline constexpr int NOISY_THROWS = 20;

// Searches the first limit such positions (shot 15) among positions with
// granite's judge (the network, or play-outs when null) and a budget of nodes
// throws, seed 1: the same search as granite --nodes.
Fidelity MeasureFidelity(const std::vector<EndPosition> &positions, const value::ValueNetwork *network, long long nodes,
                         int limit);

}  // namespace granite::learn
