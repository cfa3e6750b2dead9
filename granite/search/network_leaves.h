#pragma once

#include <span>

#include "search/rollout.h"
#include "tessival.h"
#include "value/position_features.h"
#include "value/value_network.h"

namespace granite::search {

// Values positions reached within an end (before its last stone rests) by the
// value network's distribution of the end's score, each score worth
// policy.endValue to the policy's root side. Evaluates them as one batch.
void JudgeByNetwork(const value::ValueNetwork &network, const value::EndContext &context, const RolloutPolicy &policy,
                    std::span<const GameState> states, std::span<double> values);

}  // namespace granite::search
