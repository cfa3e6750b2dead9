#pragma once

#include <optional>

#include "search/shot_search.h"
#include "value/value_network.h"

namespace granite {

// How granite judges the outcomes of its throws.
enum class Evaluation { NETWORK, ROLLOUT };

// Everything granite's command line sets.
struct EngineOptions {
    search::SearchLimits limits;
    // --think or --nodes was given: the effort stays as they set it, whatever
    // the clock. Without them a GO after TIME thinks as the clock allows.
    bool effortFixed = false;
    // Play-outs: at the default --think the network is level with them head to
    // head but did worse against pebble (+315 Elo to +413 on the same seeds);
    // with little time it is far ahead.
    Evaluation evaluation = Evaluation::ROLLOUT;
    std::optional<value::ValueNetwork> weights;  // from --weights; the shipped ones without it
};

// Reads granite's command line into options, options left out keeping their
// defaults. Returns the exit status to end with at once (0 after --help, 2
// after a message on a bad option or weights file), or nothing when the
// engine should run.
std::optional<int> ParseOptions(int argc, char **argv, EngineOptions &options);

}  // namespace granite
