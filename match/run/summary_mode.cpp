#include "run/summary_mode.h"

#include <iostream>
#include <set>

#include "record/record_file.h"
#include "summary/coverage.h"
#include "summary/match_summary.h"
#include "summary/summary_json.h"
#include "summary/summary_text.h"

namespace match::run {

using game::GameRecord;
using record::HeaderDifference;
using record::ReadRecordLines;
using record::RecordContents;
using record::RecordError;
using record::RepeatedGame;
using setup::MatchOptions;
using setup::MatchSetup;
using summary::DropShots;
using summary::MatchSummary;
using summary::RecordsCoverage;
using summary::SummarisedGames;
using summary::SummariseMatch;
using summary::SummaryJsonText;
using summary::SummaryText;

int RunSummary(const MatchOptions &options)
{
    std::vector<RecordContents> records;
    try {
        for (const std::string &path : options.summaryPaths)
            records.push_back(ReadRecordLines(path));
    } catch (const RecordError &error) {
        std::cerr << "pebble-match: " << error.what() << "\n";
        return 1;
    }
    nlohmann::json match = records.front().header;
    match.erase("shard");
    std::set<int> numbers;
    std::set<int> shards;
    std::vector<std::string> torn;
    std::vector<GameRecord> games;
    for (std::size_t k = 0; k < records.size(); ++k) {
        nlohmann::json header = records[k].header;
        header.erase("shard");
        std::string difference = HeaderDifference(header, match);
        if (!difference.empty()) {
            std::cerr << "pebble-match: " << options.summaryPaths[k] << " belongs to another match than "
                      << options.summaryPaths.front() << ": " << difference << "\n";
            return 1;
        }
        if (std::optional<int> repeated = RepeatedGame(records[k].games, numbers)) {
            std::cerr << "pebble-match: game " << *repeated << " appears twice, the second time in "
                      << options.summaryPaths[k] << "\n";
            return 1;
        }
        shards.insert(records[k].setup.shard.index);
        if (records[k].torn)
            torn.push_back(options.summaryPaths[k]);
        for (GameRecord &game : records[k].games) {
            DropShots(game);
            games.push_back(std::move(game));
        }
    }
    MatchSetup setup = records.front().setup;
    int shardCount = setup.shard.count;
    setup.shard = {};
    std::vector<GameRecord> summarised = SummarisedGames(setup, std::move(games));
    MatchSummary summary =
        SummariseMatch(setup, summarised, RecordsCoverage(setup, summarised, shardCount, shards, std::move(torn)));
    if (options.summaryAsJson)
        std::cout << SummaryJsonText(summary, false);
    else
        std::cout << SummaryText(summary);
    return 0;
}

}  // namespace match::run
