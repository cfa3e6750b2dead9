#include "run/replay_mode.h"

#include <iostream>

#include "pictures/picture_folder.h"
#include "pictures/pictures.h"
#include "record/record_file.h"
#include "record/replay.h"
#include "viewer/viewer_page.h"

namespace match::run {

using game::GameRecord;
using game::MatchRecord;
using game::PerSide;
using pictures::PicturesLine;
using pictures::PreparePictureFolder;
using pictures::WriteGamePictures;
using record::ReadRecordFile;
using record::RecordError;
using record::ReplayMatch;
using record::ReplayReport;
using setup::MatchOptions;
using viewer::ShowViewerPage;

namespace {

// The pictures of every game of a replayed record; false when one could not be written.
bool WriteRecordPictures(const MatchRecord &record, const std::string &directory)
{
    if (!PreparePictureFolder(directory))
        return false;
    try {
        for (const GameRecord &game : record.games)
            WriteGamePictures(game,
                              PerSide<std::string>{record.names[static_cast<std::size_t>(game.players[0])],
                                                   record.names[static_cast<std::size_t>(game.players[1])]},
                              directory);
    } catch (const std::exception &error) {
        std::cerr << "pebble-match: " << error.what() << "\n";
        return false;
    }
    std::cout << PicturesLine(directory);
    return true;
}

}  // namespace

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
    bool picturesWritten = options.svgDirectory.empty() || WriteRecordPictures(record, options.svgDirectory);
    bool pageWritten = options.htmlPath.empty() || ShowViewerPage(record, options.htmlPath);
    return picturesWritten && pageWritten ? 0 : 1;
}

}  // namespace match::run
