#pragma once

#include <set>
#include <string>
#include <vector>

#include "game/game_record.h"
#include "setup/match_setup.h"

namespace match::summary {

// One shard of a match split with --shard: whether its record was read, its
// games and how many of them are missing.
struct ShardCoverage {
    int index;
    int count;
    bool given;
    int scheduled;
    int missing;
};

// What a summary lacks of the games it should count. scheduled counts every
// game of the match (or shard), or with --sprt those up to the pair at which
// the test decided, since a test that stopped early misses nothing.
struct Coverage {
    int scheduled = 0;
    int missing = 0;
    std::vector<ShardCoverage> shards;     // one per shard when the match was split, else none
    std::vector<std::string> tornRecords;  // records whose last line was cut short

    bool Complete() const { return missing == 0; }
};

// The coverage of a run's summarised games: those of its own shard.
Coverage RunCoverage(const setup::MatchSetup &setup, const std::vector<game::GameRecord> &summarised);

// The coverage of a match summed up from records: setup is the whole match
// (no shard), shardCount the N of the records' --shard I/N and given the I
// of each record read.
Coverage RecordsCoverage(const setup::MatchSetup &setup, const std::vector<game::GameRecord> &summarised,
                         int shardCount, const std::set<int> &given, std::vector<std::string> tornRecords);

}  // namespace match::summary
