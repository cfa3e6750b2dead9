#include "summary/coverage.h"

#include "schedule/game_schedule.h"
#include "summary/match_summary.h"

namespace match::summary {

using game::GameRecord;
using schedule::MatchSchedule;
using schedule::ScheduledGame;
using schedule::ShardSchedule;
using setup::MatchSetup;

namespace {

// The games of schedule a summary should count, and which of them it lacks.
std::vector<ScheduledGame> Expected(const MatchSetup &setup, const std::vector<GameRecord> &summarised,
                                    std::vector<ScheduledGame> schedule)
{
    if (std::optional<int> decided = SprtDecisionPair(setup, summarised))
        std::erase_if(schedule, [&](const ScheduledGame &game) { return game.pair > *decided; });
    return schedule;
}

std::set<int> Numbers(const std::vector<GameRecord> &games)
{
    std::set<int> numbers;
    for (const GameRecord &game : games)
        numbers.insert(game.number);
    return numbers;
}

}  // namespace

Coverage RunCoverage(const MatchSetup &setup, const std::vector<GameRecord> &summarised)
{
    std::set<int> present = Numbers(summarised);
    Coverage coverage;
    for (const ScheduledGame &game : Expected(setup, summarised, ShardSchedule(setup))) {
        ++coverage.scheduled;
        coverage.missing += present.contains(game.number) ? 0 : 1;
    }
    return coverage;
}

Coverage RecordsCoverage(const MatchSetup &setup, const std::vector<GameRecord> &summarised, int shardCount,
                         const std::set<int> &given, std::vector<std::string> tornRecords)
{
    std::set<int> present = Numbers(summarised);
    Coverage coverage;
    coverage.tornRecords = std::move(tornRecords);
    if (shardCount > 1)
        for (int index = 1; index <= shardCount; ++index)
            coverage.shards.push_back({index, shardCount, given.contains(index), 0, 0});
    for (const ScheduledGame &game : Expected(setup, summarised, MatchSchedule(setup))) {
        int missing = present.contains(game.number) ? 0 : 1;
        ++coverage.scheduled;
        coverage.missing += missing;
        if (shardCount > 1) {
            ShardCoverage &shard = coverage.shards[static_cast<std::size_t>((game.pair - 1) % shardCount)];
            ++shard.scheduled;
            shard.missing += missing;
        }
    }
    return coverage;
}

}  // namespace match::summary
