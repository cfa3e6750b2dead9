#pragma once

#include "game_clock.h"
#include "game_score.h"
#include "granite_options.h"
#include "search/shot_search.h"
#include "tessival.h"
#include "value/win_table.h"

namespace granite {

// granite itself: its search limits and value network, set once from the
// command line, and its win table, built once from the same network. It holds nothing of the game
// between two GOs.
class Engine {
public:
    explicit Engine(EngineOptions options);

    // The shot for the side to move in state (as the match manager sent it,
    // sanitized here) with the game's score. With a clock set and no effort
    // fixed on the command line, the think time is the time manager's share of
    // the clock; else the first twelve stones of an end get a share of the
    // think time. A draw to the tee when the search runs out of memory or
    // threads.
    ShotVector DecideShot(const GameState &state, const GameScore &score, const GameClock &clock) const;

    const EngineOptions &Options() const { return options_; }

private:
    // The search's limits for the shot of root (sanitized) under clock.
    search::SearchLimits LimitsFor(const GameState &root, const GameClock &clock) const;

    EngineOptions options_;
    const value::ValueNetwork *network_;  // none when play-outs judge
    // From the network's distributions of end scores, or the measured one for play-outs.
    value::WinTable table_;
};

}  // namespace granite
