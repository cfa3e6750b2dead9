#include "match_runner.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "process/engine_client.h"
#include "process/interrupt.h"
#include "game/game.h"
#include "game/line_score.h"
#include "statistics/match_summary.h"
#include "pictures/pictures.h"
#include "record/record_json.h"
#include "record/replay.h"
#include "viewer/viewer_page.h"

namespace {

GameRecord PlayOneGame(const MatchOptions &options, const GameSettings &settings)
{
    auto timeout = std::chrono::milliseconds(static_cast<long long>(options.timeoutSeconds * 1000.0));
    PerSide<std::string> names = {EngineName(options.engineA), EngineName(options.engineB)};
    EngineClient a(options.engineA, timeout, EngineLabel(Side::A, names));
    EngineClient b(options.engineB, timeout, EngineLabel(Side::B, names));
    if (auto fault = a.Start())
        return ForfeitedGame(settings, Side::A, *fault + " at the start of the game");
    if (auto fault = b.Start())
        return ForfeitedGame(settings, Side::B, *fault + " at the start of the game");
    return PlayGame(settings, {&a, &b}, TraceThrow);
}

bool PrepareDirectory(const std::string &directory)
{
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error || !std::filesystem::is_directory(directory)) {
        std::cerr << "pebble-match: cannot create directory " << directory << ": " << error.message() << "\n";
        return false;
    }
    return true;
}

// The forfeit message, if any, and the line score.
void ReportGame(const GameRecord &game, const MatchRecord &record, const PerSide<std::string> &names, int games)
{
    if (game.forfeit)
        std::cerr << "pebble-match: engine " << Letter(game.forfeit->engine) << " ("
                  << record.engines[static_cast<std::size_t>(Index(game.forfeit->engine))] << ") forfeits game " << game.number
                  << ": it " << game.forfeit->reason << "\n";
    if (games > 1)
        std::cout << "Game " << game.number << "\n";
    std::cout << FormatLineScore(game, names) << std::flush;
}

// Finds out before the first game whether the record can be written, so that
// no match is played only to be lost. An existing file is left as it is.
bool CanWriteRecord(const std::string &path)
{
    std::error_code error;
    const bool existed = std::filesystem::exists(path, error);
    bool writable = std::ofstream(path, std::ios::app).good();
    const int reason = errno;
    if (writable && !existed)
        std::filesystem::remove(path, error);
    if (!writable)
        std::cerr << "pebble-match: cannot write " << path << ": " << std::strerror(reason) << "\n";
    return writable;
}

// The record file holds no paths; only the pictures, drawn as each game ends, use them.
void DropPaths(GameRecord &game)
{
    for (EndRecord &end : game.ends)
        for (ShotRecord &shot : end.shots)
            std::vector<PathPoint>().swap(shot.path);
}

bool WritePictures(const GameRecord &game, const PerSide<std::string> &names, const std::string &directory)
{
    try {
        WriteGamePictures(game, names, directory);
        return true;
    } catch (const std::exception &error) {
        std::cerr << "pebble-match: " << error.what() << "\n";
        return false;
    }
}

bool WritePage(MatchRecord &record, const std::string &path)
{
    try {
        WriteViewerPage(record, path);
        std::cout << "Viewer: " << path << "\n";
        return true;
    } catch (const std::exception &error) {
        std::cerr << "pebble-match: " << error.what() << "\n";
        return false;
    }
}

bool WriteRecord(const MatchRecord &record, const std::string &path)
{
    try {
        WriteRecordFile(record, path);
        return true;
    } catch (const RecordError &error) {
        std::cerr << "pebble-match: " << error.what() << "\n";
        return false;
    }
}

} // namespace

int RunMatch(const MatchOptions &options)
{
    if (!options.svgDirectory.empty() && !PrepareDirectory(options.svgDirectory))
        return 1;
    if (!options.recordPath.empty() && !CanWriteRecord(options.recordPath))
        return 1;
    if (!options.htmlPath.empty() && !CanWriteRecord(options.htmlPath))
        return 1;
    PerSide<std::string> names = {EngineName(options.engineA), EngineName(options.engineB)};
    MatchRecord record{{options.engineA, options.engineB}, options.seed, options.error, options.ends, options.timeoutSeconds, {}};
    MatchTally tally;
    bool written = true;

    try {
        for (int number = 1; number <= options.games; ++number) {
            GameSettings settings{number, options.ends, number % 2 == 1 ? Side::B : Side::A, options.seed, options.error};
            GameRecord game = PlayOneGame(options, settings);
            ReportGame(game, record, names, options.games);
            tally.Add(game);
            if (options.games > 1)
                std::cerr << ProgressLine(tally, options.games, names[0]) << "\n";
            if (!options.svgDirectory.empty())
                written = WritePictures(game, names, options.svgDirectory) && written;
            // Kept only for the record file and the page, so that a long match runs in constant memory.
            if (!options.recordPath.empty() || !options.htmlPath.empty()) {
                DropPaths(game);
                record.games.push_back(std::move(game));
            }
        }
    } catch (const Interrupted &) {
        // The games that were finished are kept.
        if (!options.recordPath.empty())
            WriteRecord(record, options.recordPath);
        if (!options.htmlPath.empty())
            WritePage(record, options.htmlPath);
        throw;
    }
    if (options.games > 1)
        std::cout << "\n" << SummaryText(tally, names);
    if (!options.svgDirectory.empty())
        std::cout << "Pictures: " << options.svgDirectory << "/ (gameN-overview.svg, gameN-endEE.svg)\n";
    if (!options.recordPath.empty())
        written = WriteRecord(record, options.recordPath) && written;
    if (!options.htmlPath.empty())
        written = WritePage(record, options.htmlPath) && written;
    return written ? 0 : 1;
}

int RunReplay(const MatchOptions &options)
{
    MatchRecord record;
    try {
        record = ReadRecordFile(options.replayPath);
    } catch (const RecordError &error) {
        std::cerr << "pebble-match: cannot replay " << options.replayPath << ": " << error.what() << "\n";
        return 1;
    }
    ReplayReport report = ReplayMatch(record);
    for (const std::string &difference : report.differences)
        std::cout << difference << "\n";
    if (!report.differences.empty()) {
        std::cout << "Replay of " << report.shots << " shots: " << report.differences.size() << " differ from the record\n";
        return 1;
    }
    std::cout << "Replay of " << report.shots << " shots in " << record.games.size()
              << " games: every resting position is identical\n";
    if (!options.htmlPath.empty() && !WritePage(record, options.htmlPath))
        return 1;
    return 0;
}
