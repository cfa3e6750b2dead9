#include "run/replay_mode.h"

#include <iostream>

#include "record/record_file.h"
#include "record/replay.h"
#include "viewer/viewer_page.h"

namespace match::run {

using game::MatchRecord;
using record::ReadRecordFile;
using record::RecordError;
using record::ReplayMatch;
using record::ReplayReport;
using setup::MatchOptions;
using viewer::ShowViewerPage;

int RunReplay(const MatchOptions &options)
{
    MatchRecord record;
    try {
        record = ReadRecordFile(options.replayPath);
    } catch (const RecordError &error) {
        std::cerr << "pebble-match: cannot replay " << options.replayPath << ": " << error.what() << "\n";
        return 1;
    }
    if (record.games.empty()) {
        std::cerr << "pebble-match: nothing to replay: " << options.replayPath << " holds no finished game\n";
        return 1;
    }
    ReplayReport report = ReplayMatch(record);
    for (const std::string &difference : report.differences)
        std::cout << difference << "\n";
    if (!report.differences.empty()) {
        std::cout << "Replay of " << report.shots << " shots: " << report.differences.size()
                  << " differ from the record\n";
        return 1;
    }
    std::cout << "Replay of " << report.shots << " shots in " << record.games.size()
              << " games: every resting position is identical\n";
    if (!options.htmlPath.empty() && !ShowViewerPage(record, options.htmlPath))
        return 1;
    return 0;
}

}  // namespace match::run
