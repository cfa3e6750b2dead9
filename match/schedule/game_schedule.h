#pragma once

#include <optional>
#include <vector>

#include "game/side.h"
#include "setup/match_setup.h"

namespace match::schedule {

struct ScheduledGame {
    int number = 1;                    // counts from 1 over the whole match
    int pair = 1;                      // counts from 1; both games of a pair share their throw seeds
    game::PerSide<int> players{0, 1};  // engine indices playing as A and B
    game::Side firstHammer = game::Side::B;
    std::optional<game::GameStart> start = std::nullopt;  // with --positions
};

// Every game of the match in order: each pairing of engines (every pair of
// them, or the first against each other with gauntlet) plays setup.games
// games in pairs, the first game of a pair with B holding the first hammer,
// the second with A; an odd count leaves the last pair half. With positions,
// pair p starts from position (p - 1) mod N, the pairing's first engine
// playing its side 0 in the first game and its side 1 in the second, the
// hammer where the position puts it.
std::vector<ScheduledGame> MatchSchedule(const setup::MatchSetup &setup);

// The games of the setup's shard: whole pairs, pair p going to shard
// (p - 1) mod count + 1.
std::vector<ScheduledGame> ShardSchedule(const setup::MatchSetup &setup);

}  // namespace match::schedule
