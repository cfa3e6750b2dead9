#include "run/match_mode.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <system_error>

#include "game/game.h"
#include "game/line_score.h"
#include "pictures/picture_folder.h"
#include "pictures/pictures.h"
#include "process/engine_client.h"
#include "process/interrupt.h"
#include "process/protocol_log.h"
#include "record/record_file.h"
#include "record/replay.h"
#include "record/torn_line.h"
#include "run/game_pool.h"
#include "schedule/game_schedule.h"
#include "summary/coverage.h"
#include "summary/match_summary.h"
#include "summary/summary_json.h"
#include "summary/summary_text.h"
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
using game::TimeControl;
using pictures::PicturesLine;
using pictures::PreparePictureFolder;
using pictures::WriteGamePictures;
using process::Clock;
using process::EngineClient;
using process::Interrupted;
using process::ProtocolLog;
using record::HeaderCutShort;
using record::HeaderDifference;
using record::HeaderToJson;
using record::MatchRecordOf;
using record::ReadRecordLines;
using record::RecordContents;
using record::RecordError;
using record::RecordLock;
using record::RecordWriter;
using record::RepeatedGame;
using record::ReplayRecordGames;
using record::ReplayReport;
using record::SortRecord;
using record::TornLineNote;
using schedule::ScheduledGame;
using schedule::ShardSchedule;
using setup::EngineEntry;
using setup::MatchOptions;
using setup::MatchSetup;
using summary::DropShots;
using summary::FirstOpenPair;
using summary::MatchSummary;
using summary::ProgressLine;
using summary::RunCoverage;
using summary::SprtDecisionPair;
using summary::StandingsText;
using summary::SummarisedGames;
using summary::SummariseMatch;
using summary::SummaryJsonText;
using summary::SummaryText;
using summary::WriteSummaryFile;
using viewer::ShowViewerPage;

namespace {

constexpr int BAD_USAGE = 2;
constexpr int ENGINE_NOT_STARTED = 3;

// An engine that could not be started at all, in any game: the run stops, as
// the next games would fail alike and be scored as forfeits.
struct EngineNotStarted : std::runtime_error {
    using std::runtime_error::runtime_error;
};

PerSide<std::string> Names(const MatchSetup &setup, const GameRecord &game)
{
    return {setup.engines[static_cast<std::size_t>(game.players[0])].name,
            setup.engines[static_cast<std::size_t>(game.players[1])].name};
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
        : options_(options), setup_(options.setup), finished_(earlier), shown_(std::move(earlier)),
          totalGames_(totalGames)
    {
    }

    void OpenRecord(std::unique_ptr<RecordWriter> writer) { writer_ = std::move(writer); }
    void OpenLog(std::unique_ptr<ProtocolLog> log) { log_ = std::move(log); }
    bool LogFailed() const { return log_ && log_->Failed(); }

    // Starts, plays and stops the game's engines on the calling thread, which
    // their parent-death signal follows: it must not end before they do.
    GameRecord Play(const ScheduledGame &scheduled)
    {
        GameSettings settings{scheduled.number,  setup_.ends,     scheduled.firstHammer,    scheduled.pair,
                              scheduled.players, scheduled.start, Clocks(scheduled.players)};
        auto timeout = std::chrono::milliseconds(static_cast<long long>(setup_.timeoutSeconds * 1000.0));
        PerSide<std::string> names = {Engine(scheduled.players[0]).name, Engine(scheduled.players[1]).name};
        EngineClient a(Engine(scheduled.players[0]).command, timeout, GameLabel(scheduled.number, Side::A, names),
                       log_.get());
        EngineClient b(Engine(scheduled.players[1]).command, timeout, GameLabel(scheduled.number, Side::B, names),
                       log_.get());
        for (auto [client, side] : {std::pair{&a, Side::A}, std::pair{&b, Side::B}}) {
            int engine = scheduled.players[static_cast<std::size_t>(Index(side))];
            std::optional<std::string> fault = client->Start();
            if (!fault)
                continue;
            // Gone before READYOK: not found, not executable, or it crashed.
            if (client->Ended())
                throw EngineNotStarted("engine " + Engine(engine).name + " (" + Engine(engine).command +
                                       ") could not be started: it " + *fault);
            return ForfeitedGame(settings, side, *fault + " at the start of the game");
        }
        Thrower thrower(setup_.seed, scheduled.pair, static_cast<float>(setup_.error));
        return PlayGame(settings, {&a, &b}, thrower);
    }

    // Called for one game at a time. The record gets the game at once; its
    // scoreboard, pictures and progress line wait, with --sprt, until every
    // game of the pairs before its own is in, so that a game the test leaves
    // out is never shown.
    bool Finished(GameRecord &&game)
    {
        if (writer_)
            writer_->Write(game);
        // Kept whole, with what its throws traced, only for the page, so that
        // a long match runs in little memory.
        if (!options_.htmlPath.empty())
            pageGames_.push_back(game);
        playedNow_.insert(game.number);
        finished_.push_back(game);
        DropShots(finished_.back());
        held_.push_back(std::move(game));
        if (!decided_ && StopsAtDecision()) {
            decided_ = SprtDecisionPair(setup_, finished_);
            if (decided_)
                std::cerr << "pebble-match: the SPRT decided after pair " << *decided_ << "; no further game begins\n";
        }
        ShowSettled();
        return !decided_;
    }

    // The summary of the games shown so far, or at the end of those summarised.
    MatchSummary Summary(const std::vector<GameRecord> &games) const
    {
        std::vector<GameRecord> summarised = SummarisedGames(setup_, games);
        return SummariseMatch(setup_, summarised, RunCoverage(setup_, summarised));
    }

    // Replaces the --summary-json file, if any.
    void WriteSummaryJson(const MatchSummary &summary, bool running)
    {
        if (options_.summaryJsonPath.empty())
            return;
        std::string failure = WriteSummaryFile(options_.summaryJsonPath, SummaryJsonText(summary, running));
        if (!failure.empty()) {
            std::cerr << "pebble-match: " << failure << "\n";
            summaryJsonWritten_ = false;
        }
    }

    const std::vector<GameRecord> &Games() const { return finished_; }
    const std::vector<GameRecord> &Shown() const { return shown_; }
    bool SummaryJsonWritten() const { return summaryJsonWritten_; }
    bool PicturesWritten() const { return picturesWritten_; }

    // After a resume, the games the record held before this run: read back
    // one at a time and replayed for what their throws traced, into the
    // pictures and the page, so that they cover the whole match. False when
    // one of them does not replay as recorded.
    bool CoverEarlierGames()
    {
        ReplayReport report = ReplayRecordGames(
            options_.recordPath, MatchRecordOf(setup_), [&](int number) { return !playedNow_.contains(number); },
            [&](GameRecord &&game) {
                if (!options_.svgDirectory.empty())
                    WritePictures(game, Names(setup_, game));
                if (!options_.htmlPath.empty())
                    pageGames_.push_back(std::move(game));
            });
        for (const std::string &difference : report.differences)
            std::cerr << "pebble-match: " << options_.recordPath << " does not replay as recorded: " << difference
                      << "\n";
        return report.differences.empty();
    }

    // The page of the games played or covered among the summarised ones (numbers ascending).
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
    bool StopsAtDecision() const { return setup_.sprtTest && setup_.shard.count == 1; }

    // Shows the held games that count whatever the games still out bring, in
    // game order: those of the pairs up to the first one still open, or up to
    // the decision. The games past the decision are never shown.
    void ShowSettled()
    {
        int last = INT_MAX;
        if (StopsAtDecision())
            last = decided_ ? *decided_ : FirstOpenPair(setup_, finished_);
        std::sort(held_.begin(), held_.end(),
                  [](const GameRecord &a, const GameRecord &b) { return a.number < b.number; });
        std::vector<GameRecord> later;
        for (GameRecord &game : held_)
            if (game.pair <= last)
                Show(std::move(game));
            else if (!decided_)
                later.push_back(std::move(game));
        held_ = std::move(later);
    }

    void Show(GameRecord &&game)
    {
        PerSide<std::string> names = Names(setup_, game);
        if (game.forfeit)
            std::cerr << "pebble-match: engine " << Letter(game.forfeit->engine) << " ("
                      << Engine(game.players[static_cast<std::size_t>(Index(game.forfeit->engine))]).command << ") "
                      << game.forfeit->Verb() << " game " << game.number << ": it " << game.forfeit->reason << "\n";
        if (totalGames_ > 1)
            std::cout << "Game " << game.number << "\n";
        std::cout << FormatLineScore(game, names) << std::flush;
        if (!options_.svgDirectory.empty())
            WritePictures(game, names);
        DropShots(game);
        shown_.push_back(std::move(game));
        ++played_;
        if (totalGames_ > 1)
            std::cerr << Progress() << "\n";
        bool standings =
            options_.ratingInterval > 0 && shown_.size() % static_cast<std::size_t>(options_.ratingInterval) == 0;
        if (!standings && options_.summaryJsonPath.empty())
            return;
        MatchSummary summary = Summary(shown_);
        if (standings)
            std::cerr << "Standings after " << shown_.size() << " of " << totalGames_ << " games:\n"
                      << StandingsText(summary);
        WriteSummaryJson(summary, true);
    }

    const EngineEntry &Engine(int index) const { return setup_.engines[static_cast<std::size_t>(index)]; }

    // The time controls of a game's sides, each engine's own before the
    // match's; none without a clock.
    std::optional<PerSide<TimeControl>> Clocks(const PerSide<int> &players) const
    {
        std::optional<TimeControl> a = Engine(players[0]).tc ? Engine(players[0]).tc : setup_.tc;
        std::optional<TimeControl> b = Engine(players[1]).tc ? Engine(players[1]).tc : setup_.tc;
        if (!a || !b)
            return std::nullopt;
        return PerSide<TimeControl>{*a, *b};
    }

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
        int left = totalGames_ - static_cast<int>(shown_.size());
        return ProgressLine(setup_, shown_, totalGames_) + ", " + speed + " games/s, " +
               HoursMinutesSeconds(left / rate) + " left";
    }

    const MatchOptions &options_;
    const MatchSetup &setup_;
    std::vector<GameRecord> finished_;  // every finished game, without shots
    std::vector<GameRecord> shown_;     // those shown, without shots
    std::vector<GameRecord> held_;      // finished, whole, not shown yet
    std::optional<int> decided_;
    std::vector<GameRecord> pageGames_;
    std::set<int> playedNow_;  // the numbers of the games this run played
    int totalGames_;
    std::unique_ptr<RecordWriter> writer_;
    std::unique_ptr<ProtocolLog> log_;
    Clock::time_point start_ = Clock::now();
    int played_ = 0;
    bool picturesWritten_ = true;
    bool summaryJsonWritten_ = true;
};

// A record that holds anything is started afresh only when the user says so.
bool RefusedToOverwrite(const MatchOptions &options)
{
    std::error_code error;
    if (options.resume || options.overwrite || std::filesystem::file_size(options.recordPath, error) == 0 || error)
        return false;
    std::cerr << "pebble-match: the record " << options.recordPath
              << " exists and is not empty: --resume continues it, --overwrite starts it afresh\n";
    return true;
}

// The games the record of an interrupted run holds, its writer continuing it.
// A run killed before its header was whole left nothing to keep.
std::vector<GameRecord> ResumeRecord(const MatchOptions &options, std::unique_ptr<RecordWriter> &writer)
{
    if (HeaderCutShort(options.recordPath, HeaderToJson(options.setup))) {
        writer = std::make_unique<RecordWriter>(options.recordPath, HeaderToJson(options.setup));
        return {};
    }
    RecordContents contents = ReadRecordLines(options.recordPath);
    std::string difference = HeaderDifference(contents.header, HeaderToJson(options.setup));
    if (!difference.empty())
        throw RecordError("cannot resume " + options.recordPath + ": it was made with other options: " + difference);
    std::set<int> numbers;
    if (std::optional<int> repeated = RepeatedGame(contents.games, numbers))
        throw RecordError("cannot resume " + options.recordPath + ": game " + std::to_string(*repeated) +
                          " appears twice in it");
    if (contents.torn)
        std::cerr << "pebble-match: " << TornLineNote(options.recordPath, "is played again") << "\n";
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
void FinishRecord(const std::string &path, const std::vector<GameRecord> &summarised, RecordLock &lock)
{
    std::set<int> keep;
    for (const GameRecord &game : summarised)
        keep.insert(game.number);
    SortRecord(
        path, [&](int number) { return keep.contains(number); }, lock);
}

}  // namespace

int RunMatch(const MatchOptions &options)
{
    // Held to the end of the run, through the record's final rewrite.
    std::unique_ptr<RecordLock> lock;
    try {
        if (!options.recordPath.empty())
            lock = std::make_unique<RecordLock>(options.recordPath);
    } catch (const RecordError &error) {
        std::cerr << "pebble-match: " << error.what() << "\n";
        return 1;
    }
    if (lock && RefusedToOverwrite(options))
        return BAD_USAGE;
    if (!options.svgDirectory.empty() && !PreparePictureFolder(options.svgDirectory))
        return 1;
    if (!options.htmlPath.empty() && !CanWriteFile(options.htmlPath))
        return 1;
    if (!options.summaryJsonPath.empty() && !CanWriteFile(options.summaryJsonPath))
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
    const bool resumedGames = !earlier.empty();
    std::vector<ScheduledGame> missing = Missing(schedule, earlier);
    if (options.setup.shard.count == 1 && SprtDecisionPair(options.setup, earlier))
        missing.clear();
    MatchRun run(options, std::move(earlier), static_cast<int>(schedule.size()));
    run.OpenRecord(std::move(writer));
    run.OpenLog(std::move(log));
    run.WriteSummaryJson(run.Summary(run.Shown()), !missing.empty());
    try {
        RunGamePool(
            missing, options.concurrency, [&](const ScheduledGame &game) { return run.Play(game); },
            [&](GameRecord &&game) { return run.Finished(std::move(game)); }, process::InterruptChildren);
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
    MatchSummary summary = run.Summary(summarised);
    if (schedule.size() > 1)
        std::cout << "\n" << SummaryText(summary);
    run.WriteSummaryJson(summary, false);
    bool covered = true;
    try {
        if (lock)
            FinishRecord(options.recordPath, summarised, *lock);
        if (resumedGames && (!options.svgDirectory.empty() || !options.htmlPath.empty()))
            covered = run.CoverEarlierGames();
    } catch (const RecordError &error) {
        std::cerr << "pebble-match: " << error.what() << "\n";
        return 1;
    }
    if (!options.svgDirectory.empty())
        std::cout << PicturesLine(options.svgDirectory);
    bool pageWritten = options.htmlPath.empty() || (covered && run.WritePageOf(summarised));
    if (run.LogFailed())
        std::cerr << "pebble-match: the protocol log " << options.logPath << " could not be written whole\n";
    return covered && run.PicturesWritten() && pageWritten && run.SummaryJsonWritten() && !run.LogFailed() ? 0 : 1;
}

}  // namespace match::run
