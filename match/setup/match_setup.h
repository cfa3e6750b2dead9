#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/side_clocks.h"
#include "game/start_position.h"
#include "statistics/sprt.h"

namespace match::setup {

struct EngineEntry {
    std::string name;
    std::string command;
    std::optional<game::TimeControl> tc{};  // its own clock (tc=), in place of the match's
};

// Shard index of count, index counting from 1.
struct Shard {
    int index = 1;
    int count = 1;
};

// The start positions of --positions, played in order, a pair each, cycled.
struct PositionSet {
    std::string file;    // as given
    std::string sha256;  // of the file's bytes, in hex: tells another file's positions
    int count = 0;
    std::vector<game::StartPosition> positions;  // empty in a setup read from a record's header
};

// Everything that decides which games a match plays, how, and how its summary
// reads: the record's header holds it, and a resumed run or a summary of
// shards must agree on it.
struct MatchSetup {
    std::vector<EngineEntry> engines;
    bool gauntlet = false;
    int ends = 8;
    int games = 1;  // per pairing of engines
    uint64_t seed = 20260101;
    double error = 0.145;  // as the user gave it; the physics library takes it as a float
    double timeoutSeconds = 60.0;
    std::optional<game::TimeControl> tc;  // --tc; an engine's own tc= goes first
    Shard shard;
    std::string sprt;                              // the --sprt text as given, empty without a test
    std::optional<statistics::SprtTest> sprtTest;  // the text parsed, wherever a setup is read
    std::optional<std::string> anchor;
    std::optional<PositionSet> positions;  // none: every game starts from the empty sheet
};

}  // namespace match::setup
