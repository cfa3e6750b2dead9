#include "run/summary_mode.h"

#include <iostream>
#include <set>

#include "record/record_file.h"
#include "summary/match_summary.h"

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
using summary::SummarisedGames;
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
        for (GameRecord &game : records[k].games) {
            DropShots(game);
            games.push_back(std::move(game));
        }
    }
    MatchSetup setup = records.front().setup;
    setup.shard = {};
    std::cout << SummaryText(setup, SummarisedGames(setup, std::move(games)));
    return 0;
}

}  // namespace match::run
