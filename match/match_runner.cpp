#include "match_runner.h"

#include <chrono>
#include <filesystem>
#include <iostream>

#include "engine_client.h"
#include "game.h"
#include "line_score.h"
#include "match_summary.h"
#include "pictures.h"
#include "record_json.h"
#include "replay.h"

namespace {

GameRecord PlayOneGame(const MatchOptions &options, const GameSettings &settings)
{
    auto timeout = std::chrono::milliseconds(static_cast<long long>(options.timeoutSeconds * 1000.0));
    EngineClient a(options.engineA, timeout);
    EngineClient b(options.engineB, timeout);
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

} // namespace

int RunMatch(const MatchOptions &options)
{
    if (!options.svgDirectory.empty() && !PrepareDirectory(options.svgDirectory))
        return 1;
    PerSide<std::string> names = {EngineName(options.engineA), EngineName(options.engineB)};
    MatchRecord record{{options.engineA, options.engineB}, options.seed, options.error, options.ends, options.timeoutSeconds, {}};
    MatchTally tally;
    int status = 0;

    for (int number = 1; number <= options.games; ++number) {
        GameSettings settings{number, options.ends, number % 2 == 1 ? Side::B : Side::A, options.seed, options.error};
        GameRecord game = PlayOneGame(options, settings);
        if (game.forfeit)
            std::cerr << "pebble-match: engine " << Letter(game.forfeit->engine) << " ("
                      << record.engines[static_cast<std::size_t>(Index(game.forfeit->engine))] << ") forfeits game " << number
                      << ": it " << game.forfeit->reason << "\n";
        if (options.games > 1)
            std::cout << "Game " << number << "\n";
        std::cout << FormatLineScore(game, names) << std::flush;
        tally.Add(game);
        if (options.games > 1)
            std::cerr << ProgressLine(tally, options.games, names[0]) << "\n";
        if (!options.svgDirectory.empty()) {
            try {
                WriteGamePictures(game, names, options.svgDirectory);
            } catch (const std::exception &error) {
                std::cerr << "pebble-match: " << error.what() << "\n";
                status = 1;
            }
        }
        record.games.push_back(std::move(game));
    }
    if (options.games > 1)
        std::cout << "\n" << SummaryText(tally, names);
    if (!options.svgDirectory.empty())
        std::cout << "Pictures: " << options.svgDirectory << "/game1-overview.svg and one per end\n";
    if (!options.recordPath.empty()) {
        try {
            WriteRecordFile(record, options.recordPath);
        } catch (const RecordError &error) {
            std::cerr << "pebble-match: " << error.what() << "\n";
            status = 1;
        }
    }
    return status;
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
    return 0;
}
