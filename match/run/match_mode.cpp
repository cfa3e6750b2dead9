#include "run/match_mode.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <set>
#include <system_error>

#include "game/game.h"
#include "game/line_score.h"
#include "pictures/pictures.h"
#include "process/engine_client.h"
#include "process/interrupt.h"
#include "process/protocol_log.h"
#include "record/record_file.h"
#include "run/game_pool.h"
#include "schedule/game_schedule.h"
#include "summary/match_summary.h"
#include "viewer/viewer_page.h"

namespace match::run {

using game::EndRecord;
using game::EngineLabel;
using game::ForfeitedGame;
using game::FormatLineScore;
using game::GameRecord;
using game::GameSettings;
using game::Index;
using game::Letter;
using game::MatchRecord;
using game::PathPoint;
using game::PerSide;
using game::PlayGame;
using game::ShotRecord;
using game::Side;
using game::Thrower;
using pictures::WriteGamePictures;
using process::Clock;
using process::EngineClient;
using process::Interrupted;
using process::ProtocolLog;
using record::HeaderDifference;
using record::HeaderToJson;
using record::MatchRecordOf;
using record::ReadRecordLines;
using record::RecordContents;
using record::RecordError;
using record::RecordWriter;
using record::SortRecord;
using schedule::ScheduledGame;
using schedule::ShardSchedule;
using setup::EngineEntry;
using setup::MatchOptions;
using setup::MatchSetup;
using summary::DropShots;
using summary::ProgressLine;
using summary::SprtDecisionPair;
using summary::SummarisedGames;
using summary::SummaryText;
using viewer::ShowViewerPage;

namespace {

constexpr int ENGINE_NOT_STARTED = 3;

// An engine that could not be started at all in its first game: the run stops.
struct EngineNotStarted : std::runtime_error {
    using std::runtime_error::runtime_error;
};

PerSide<std::string> Names(const MatchSetup &setup, const GameRecord &game)
{
    return {setup.engines[static_cast<std::size_t>(game.players[0])].name,
            setup.engines[static_cast<std::size_t>(game.players[1])].name};
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

std::string HoursMinutesSeconds(double seconds)
{
    long whole = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

// "game 12 A pebble": names an engine of a game in its standard error and the protocol log.
std::string GameLabel(int number, Side side, const PerSide<std::string> &names)
{
    return "game " + std::to_string(number) + " " + EngineLabel(side, names);
}

// Finds out before the first game whether a file can be written, so that no
// match is played only to be lost. An existing file is left as it is.
bool CanWriteFile(const std::string &path)
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

// Plays the games of a run and keeps what they give: the record, the
// pictures, the output, the progress.
class MatchRun {
public:
    MatchRun(const MatchOptions &options, std::vector<GameRecord> earlier, int totalGames)
        : options_(options), setup_(options.setup), games_(std::move(earlier)), totalGames_(totalGames),
          started_(setup_.engines.size())
    {
    }

    void OpenRecord(std::unique_ptr<RecordWriter> writer) { writer_ = std::move(writer); }
    void OpenLog(std::unique_ptr<ProtocolLog> log) { log_ = std::move(log); }
    bool LogFailed() const { return log_ && log_->Failed(); }

    GameRecord Play(const ScheduledGame &scheduled)
    {
        GameSettings settings{scheduled.number, setup_.ends, scheduled.firstHammer, scheduled.pair, scheduled.players};
        auto timeout = std::chrono::milliseconds(static_cast<long long>(setup_.timeoutSeconds * 1000.0));
        PerSide<std::string> names = {Engine(scheduled.players[0]).name, Engine(scheduled.players[1]).name};
        EngineClient a(Engine(scheduled.players[0]).command, timeout, GameLabel(scheduled.number, Side::A, names),
                       log_.get());
        EngineClient b(Engine(scheduled.players[1]).command, timeout, GameLabel(scheduled.number, Side::B, names),
                       log_.get());
        for (auto [client, side] : {std::pair{&a, Side::A}, std::pair{&b, Side::B}}) {
            int engine = scheduled.players[static_cast<std::size_t>(Index(side))];
            if (auto fault = client->Start()) {
                if (!started_[static_cast<std::size_t>(engine)] && client->Ended())
                    throw EngineNotStarted("engine " + Engine(engine).name + " (" + Engine(engine).command +
                                           ") could not be started: it " + *fault);
                return ForfeitedGame(settings, side, *fault + " at the start of the game");
            }
            started_[static_cast<std::size_t>(engine)] = true;
        }
        Thrower thrower(setup_.seed, scheduled.pair, static_cast<float>(setup_.error));
        return PlayGame(settings, {&a, &b}, thrower);
    }

    // Called for one game at a time.
    bool Finished(GameRecord &&game)
    {
        PerSide<std::string> names = Names(setup_, game);
        if (game.forfeit)
            std::cerr << "pebble-match: engine " << Letter(game.forfeit->engine) << " ("
                      << Engine(game.players[static_cast<std::size_t>(Index(game.forfeit->engine))]).command
                      << ") forfeits game " << game.number << ": it " << game.forfeit->reason << "\n";
        if (totalGames_ > 1)
            std::cout << "Game " << game.number << "\n";
        std::cout << FormatLineScore(game, names) << std::flush;
        if (!options_.svgDirectory.empty())
            WritePictures(game, names);
        if (writer_)
            writer_->Write(game);
        // Kept whole, with what its throws traced, only for the page, so that
        // a long match runs in little memory.
        if (!options_.htmlPath.empty())
            pageGames_.push_back(game);
        DropShots(game);
        games_.push_back(std::move(game));
        ++played_;
        if (totalGames_ > 1)
            std::cerr << Progress() << "\n";
        return !SprtDecided();
    }

    const std::vector<GameRecord> &Games() const { return games_; }
    bool PicturesWritten() const { return picturesWritten_; }

    // The page of this run's games among the summarised ones (numbers ascending).
    bool WritePageOf(const std::vector<GameRecord> &summarised)
    {
        MatchRecord record = MatchRecordOf(setup_);
        std::set<int> kept;
        for (const GameRecord &game : summarised)
            kept.insert(game.number);
        for (GameRecord &game : pageGames_)
            if (kept.contains(game.number))
                record.games.push_back(std::move(game));
        std::sort(record.games.begin(), record.games.end(),
                  [](const GameRecord &a, const GameRecord &b) { return a.number < b.number; });
        return ShowViewerPage(record, options_.htmlPath);
    }

private:
    // A whole match (not a shard) stops when its SPRT decided.
    bool SprtDecided() const
    {
        if (setup_.shard.count != 1)
            return false;
        std::optional<int> pair = SprtDecisionPair(setup_, games_);
        if (pair)
            std::cerr << "pebble-match: the SPRT decided after pair " << *pair << "; no further game begins\n";
        return pair.has_value();
    }

    const EngineEntry &Engine(int index) const { return setup_.engines[static_cast<std::size_t>(index)]; }

    void WritePictures(const GameRecord &game, const PerSide<std::string> &names)
    {
        try {
            WriteGamePictures(game, names, options_.svgDirectory);
        } catch (const std::exception &error) {
            std::cerr << "pebble-match: " << error.what() << "\n";
            picturesWritten_ = false;
        }
    }

    std::string Progress() const
    {
        double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
        double rate = played_ / std::max(seconds, 1e-9);
        char speed[32];
        std::snprintf(speed, sizeof speed, "%.2f", rate);
        int left = totalGames_ - static_cast<int>(games_.size());
        return ProgressLine(setup_, games_, totalGames_) + ", " + speed + " games/s, " +
               HoursMinutesSeconds(left / rate) + " left";
    }

    const MatchOptions &options_;
    const MatchSetup &setup_;
    std::vector<GameRecord> games_;
    std::vector<GameRecord> pageGames_;
    int totalGames_;
    std::vector<std::atomic<bool>> started_;
    std::unique_ptr<RecordWriter> writer_;
    std::unique_ptr<ProtocolLog> log_;
    Clock::time_point start_ = Clock::now();
    int played_ = 0;
    bool picturesWritten_ = true;
};

// The games the record of an interrupted run holds, its writer continuing it.
std::vector<GameRecord> ResumeRecord(const MatchOptions &options, std::unique_ptr<RecordWriter> &writer)
{
    std::error_code error;
    if (!std::filesystem::exists(options.recordPath, error) ||
        std::filesystem::file_size(options.recordPath, error) == 0) {
        writer = std::make_unique<RecordWriter>(options.recordPath, HeaderToJson(options.setup));
        return {};
    }
    RecordContents contents = ReadRecordLines(options.recordPath);
    std::string difference = HeaderDifference(contents.header, HeaderToJson(options.setup));
    if (!difference.empty())
        throw RecordError("cannot resume " + options.recordPath + ": it was made with other options: " + difference);
    if (contents.torn)
        std::cerr << "pebble-match: " << options.recordPath
                  << ": the last line was cut short; its game is played again\n";
    writer = std::make_unique<RecordWriter>(options.recordPath, contents.wholeBytes);
    for (GameRecord &game : contents.games)
        DropShots(game);
    return std::move(contents.games);
}

std::vector<ScheduledGame> Missing(const std::vector<ScheduledGame> &schedule, const std::vector<GameRecord> &done)
{
    std::set<int> finished;
    for (const GameRecord &game : done)
        finished.insert(game.number);
    std::vector<ScheduledGame> missing;
    for (const ScheduledGame &game : schedule)
        if (!finished.contains(game.number))
            missing.push_back(game);
    return missing;
}

// The record in game-number order with the summarised games only, unless it is so already.
void FinishRecord(const std::string &path, const std::vector<GameRecord> &summarised)
{
    std::set<int> keep;
    for (const GameRecord &game : summarised)
        keep.insert(game.number);
    SortRecord(path, [&](int number) { return keep.contains(number); });
}

}  // namespace

int RunMatch(const MatchOptions &options)
{
    if (!options.svgDirectory.empty() && !PrepareDirectory(options.svgDirectory))
        return 1;
    if (!options.htmlPath.empty() && !CanWriteFile(options.htmlPath))
        return 1;
    std::unique_ptr<ProtocolLog> log;
    try {
        if (!options.logPath.empty())
            log = std::make_unique<ProtocolLog>(options.logPath);
    } catch (const std::system_error &error) {
        std::cerr << "pebble-match: " << error.what() << "\n";
        return 1;
    }
    std::vector<ScheduledGame> schedule = ShardSchedule(options.setup);
    std::unique_ptr<RecordWriter> writer;
    std::vector<GameRecord> earlier;
    try {
        if (options.resume)
            earlier = ResumeRecord(options, writer);
        else if (!options.recordPath.empty())
            writer = std::make_unique<RecordWriter>(options.recordPath, HeaderToJson(options.setup));
    } catch (const RecordError &error) {
        std::cerr << "pebble-match: " << error.what() << "\n";
        return 1;
    }
    std::vector<ScheduledGame> missing = Missing(schedule, earlier);
    if (options.setup.shard.count == 1 && SprtDecisionPair(options.setup, earlier))
        missing.clear();
    MatchRun run(options, std::move(earlier), static_cast<int>(schedule.size()));
    run.OpenRecord(std::move(writer));
    run.OpenLog(std::move(log));
    try {
        RunGamePool(
            missing, options.concurrency, [&](const ScheduledGame &game) { return run.Play(game); },
            [&](GameRecord &&game) { return run.Finished(std::move(game)); });
    } catch (const Interrupted &) {
        // The page shows the games that were finished.
        if (!options.htmlPath.empty())
            run.WritePageOf(run.Games());
        throw;
    } catch (const EngineNotStarted &error) {
        std::cerr << "pebble-match: " << error.what() << "; the run stops\n";
        return ENGINE_NOT_STARTED;
    } catch (const RecordError &error) {
        std::cerr << "pebble-match: " << error.what() << "\n";
        return 1;
    }
    std::vector<GameRecord> summarised = SummarisedGames(options.setup, run.Games());
    if (schedule.size() > 1)
        std::cout << "\n" << SummaryText(options.setup, summarised);
    if (!options.svgDirectory.empty())
        std::cout << "Pictures: " << options.svgDirectory << "/ (gameN-overview.svg, gameN-endEE.svg)\n";
    try {
        if (!options.recordPath.empty())
            FinishRecord(options.recordPath, summarised);
    } catch (const RecordError &error) {
        std::cerr << "pebble-match: " << error.what() << "\n";
        return 1;
    }
    bool pageWritten = options.htmlPath.empty() || run.WritePageOf(summarised);
    if (run.LogFailed())
        std::cerr << "pebble-match: the protocol log " << options.logPath << " could not be written whole\n";
    return run.PicturesWritten() && pageWritten && !run.LogFailed() ? 0 : 1;
}

}  // namespace match::run
