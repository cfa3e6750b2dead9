#include "setup/match_options.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iostream>

#include <CLI/CLI.hpp>

#include "setup/engine_names.h"
#include "setup/positions_file.h"
#include "setup/time_control.h"
#include "statistics/sprt.h"

namespace match::setup {

using statistics::ParseSprt;

namespace {

constexpr const char *DESCRIPTION = R"(Plays curling games between engines that speak the pebble protocol.

Each ENGINE is a command, run as /bin/sh -c 'exec COMMAND', so a quoted
command with arguments works ("./my-engine --level 3"); "name=LABEL COMMAND"
names it LABEL, otherwise it is named by its executable, made unique
(pebble, pebble-2). Missing engines default to the pebble beside this
program. Two engines play a match; more play a round robin (every pair of
them plays --games games), or with --gauntlet the first plays each of
the others.

Games are played in pairs: both games of a pair throw with the same seeds,
B holding the first hammer in the first game and A in the second, so that
the luck of the throws falls on both sides alike.

Per shot the engine to move gets POSITION (the 32 coordinates), SETSTATE
shotIndex currentEnd lastEnd sideFlag, SCORE own other, and GO, where
currentEnd counts from 0, lastEnd is the index of the last regular end (extra
ends go beyond it), sideFlag is 1 when the side to move has the hammer in this
end (it throws the odd-numbered stones), 0 when it throws first, and own and
other are the points of the side to move and of the other side so far in the
game (an engine that does not know SCORE ignores it, as any unknown line).
With a clock (--tc), TIME own other follows SCORE: the whole milliseconds left
on the clocks of the side to move and of the other side (ignored as any
unknown line by an engine that does not know it). An engine that quits, times
out or answers anything but BESTSHOT with two finite numbers and a spin of 0
or 1 forfeits the game.

--tc SECONDS[+INCREMENT] gives each side SECONDS of thinking for the regular
ends of a game, and INCREMENT more after each of its shots; each extra end
adds SECONDS / ends to both clocks at its start. The runner times each reply
from GO written to the reply whole; one that comes after its clock ran out
loses the game on time, and no reply is awaited past the clock or past
--timeout, which stays the cap per reply. "tc=30+0.5" inside an engine's
argument, as name= is ("name=g tc=30+0.5 ./granite"), gives that engine its
own clock, for handicap matches; without --tc every engine needs its own.

Each game starts with NEWGAME and ISREADY, and the engine must answer READYOK
within the timeout. Replies are "READYOK" and "BESTSHOT vx vy spin", tokens
separated by spaces: a reply is taken as soon as its spin digit (or the K of
READYOK) arrives, and may end with a line feed. A line that ends before the
reply is whole, or has words after it, forfeits at once. Each line an engine
writes to its standard error is shown on ours after its label, as in
"[game 1 A pebble] ...".

--positions FILE starts the games from the positions of FILE, JSON Lines,
one a line: {"name": "...", "end": E, "shot": S, "score": [P0, P1],
"hammer": 0|1, "stones": [[x, y], ... 16]}, the stones as POSITION sends
them (0, 0 for those not thrown or out of play). Pair p plays position
(p - 1) mod N, the first engine playing side 0 in the pair's first game and
side 1 in its second; the game goes on to its end under the match's rules.
A bad file stops the run before it starts (exit status 2), naming the line.

The record (--record) is JSON Lines: a header line with the options, then a
line per game, synced to disk as each game ends; --resume continues a run
killed at any moment. --shard I/N plays every N-th pair only; --summary reads
records (whole or shards) and prints the summary of the match.

A record that holds anything is never written over unless --overwrite says
so (or --resume continues it), and one record takes one run at a time: a
second run on a record in use stops at once. `--replay RECORD --svg DIR`
draws the pictures of a record's games.

Standings: --rating-interval N prints them every N finished games on standard
error (for two engines the result, Elo and SPRT lines of the summary, for more
the rating table). --summary-json FILE keeps the summary as JSON in FILE,
replaced whole as games finish ("running": true) and once more at the end;
--summary --json prints it instead of the text. A summary of records that lack
games (a shard not given, a run cut short, a torn last line) says what is
missing. --anchor needs three or more engines: only they get a rating table.

The viewer page (--html FILE) needs no network and no other file: open it in a
browser and step through every shot. `--replay RECORD --html FILE` makes it
later from a record, without any engine.

Engines end with this program however it ends: SIGINT, SIGTERM and SIGHUP
stop every engine and the games in flight, and the finished games stay in the
record for --resume; killed outright (SIGKILL), its engines die too, with any
process they started in their process group.

--log FILE writes every line sent to and received from every engine, and
each line of their standard error, one entry a line: seconds since the run
began, [game N A NAME], a mark (> sent, < received, ! standard error, # the
runner's note on a timeout, a close or a bad reply) and the text. The game's
number also leads each engine's standard error line on ours.

--check ENGINE drives one engine through a compliance run (handshake, replies
and their line breaks, unknown lines, odd positions, extra ends, the slowest
reply against --timeout, quitting when its input closes) and prints "ok ..."
or "FAIL ...: what it did, what to do instead" for each check; it exits 0
only when every check passed.

Exit status: 0 when every game reached a result (forfeits are results) or
every check passed; 1 when a record, picture, page or log could not be written
or read, a record is in use by another run, a replay differs or has nothing
to replay, or a check failed; 2 for bad usage (an existing record without
--resume or --overwrite, and a bad positions file, included); 3 when an
engine could not be started (not found, not executable, gone before READYOK)
in any game: the run stops there and --resume continues it; 130 when
interrupted by SIGINT, SIGTERM or SIGHUP.
)";

std::string Quote(const std::string &path)
{
    std::string quoted = "'";
    for (char c : path)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Digits only, within 64 bits: the conversion alone would wrap "-1" and
// saturate an overlong number without a word.
const CLI::Validator WholeNumber(
    [](std::string &text) -> std::string {
        std::uint64_t value = 0;
        const char *end = text.data() + text.size();
        auto [stop, error] = std::from_chars(text.data(), end, value);
        if (text.empty() || error != std::errc() || stop != end)
            return "Value " + text + " is not a whole number from 0 to 18446744073709551615";
        return "";
    },
    "");

// Checked before a range, whose own message would call any word out of range.
const CLI::Validator Integer(
    [](std::string &text) -> std::string {
        int value = 0;
        const char *end = text.data() + text.size();
        auto [stop, error] = std::from_chars(text.data(), end, value);
        if (text.empty() || stop != end)
            return "Value " + text + " is not a number";
        if (error != std::errc())
            return "Value " + text + " is too large";
        return "";
    },
    "");

// "I/N" with 1 <= I <= N.
const CLI::Validator ShardText(
    [](std::string &text) -> std::string {
        int index = 0;
        int count = 0;
        char slash = 0;
        char extra = 0;
        if (std::sscanf(text.c_str(), "%d%c%d%c", &index, &slash, &count, &extra) != 3 || slash != '/' || index < 1 ||
            count < index)
            return "Value " + text + " is not a shard I/N with 1 <= I <= N";
        return "";
    },
    "");

Shard ParseShard(const std::string &text)
{
    Shard shard;
    std::sscanf(text.c_str(), "%d/%d", &shard.index, &shard.count);
    return shard;
}

// Every engine plays on a clock, or none does: TIME tells both sides' clocks.
std::string ClockConflict(const MatchSetup &setup)
{
    if (setup.tc)
        return "";
    bool some = false;
    bool all = true;
    for (const EngineEntry &engine : setup.engines) {
        some = some || engine.tc.has_value();
        all = all && engine.tc.has_value();
    }
    return some && !all ? "tc= is given for some engines only: give --tc for the others" : "";
}

// The checks across options that CLI11 cannot express; the message, if any.
std::string Conflicts(const MatchOptions &options, bool checked)
{
    const MatchSetup &setup = options.setup;
    for (const EngineEntry &engine : setup.engines) {
        if (engine.command.find_first_not_of(" \t") == std::string::npos)
            return "an engine command is empty";
        if (engine.name.empty())
            return "an engine's name= label is empty";
    }
    if (!options.replayPath.empty() && !setup.engines.empty())
        return "--replay takes no engines";
    if (!options.summaryPaths.empty() && !setup.engines.empty())
        return "--summary takes no engines";
    if (!std::isfinite(setup.error))
        return "--error must be a finite number";
    if (!std::isfinite(setup.timeoutSeconds))
        return "--timeout must be a finite number";
    if (options.resume && options.recordPath.empty())
        return "--resume needs --record FILE";
    if (options.overwrite && options.recordPath.empty())
        return "--overwrite needs --record FILE";
    if (checked && options.checkEngine.find_first_not_of(" \t") == std::string::npos)
        return "--check needs an engine command";
    if (checked && !setup.engines.empty())
        return "--check takes no other engines";
    return "";
}

// Parses the --sprt text, if given, into setup.sprtTest; the message, if it is no test for these engines.
std::string ReadSprt(MatchSetup &setup, bool given)
{
    if (!given)
        return "";
    if (setup.engines.size() != 2)
        return "--sprt needs exactly two engines";
    std::string error;
    setup.sprtTest = ParseSprt(setup.sprt, error);
    return setup.sprtTest ? "" : "--sprt: " + error;
}

std::string AnchorConflict(const MatchSetup &setup)
{
    if (!setup.anchor)
        return "";
    if (setup.engines.size() == 2)
        return "--anchor needs three or more engines: the summary of two has no rating table";
    for (const EngineEntry &engine : setup.engines)
        if (engine.name == *setup.anchor)
            return "";
    return "--anchor " + *setup.anchor + " names none of the engines";
}

}  // namespace

std::optional<int> ParseMatchOptions(int argc, char **argv, const std::string &defaultEngine, MatchOptions &options)
{
    MatchSetup &setup = options.setup;
    CLI::App app(DESCRIPTION, "pebble-match");
    app.get_formatter()->column_width(28);
    std::vector<std::string> engines;
    std::string shard;
    std::string anchor;
    std::string tc;
    app.add_option("ENGINE", engines,
                   "engine commands, [name=LABEL] COMMAND (default: two pebbles beside this program)")
        ->type_name("COMMAND");
    auto *ends = app.add_option("--ends", setup.ends, "regular ends per game")
                     ->check(Integer)
                     ->check(CLI::Range(1, 100))
                     ->capture_default_str()
                     ->type_name("N");
    auto *games = app.add_option("--games", setup.games, "games per pairing of engines, played in pairs")
                      ->check(Integer)
                      ->check(CLI::Range(1, 1000000))
                      ->capture_default_str()
                      ->type_name("N");
    auto *gauntlet =
        app.add_flag("--gauntlet", setup.gauntlet, "the first engine plays each of the others, not a round robin");
    auto *seed = app.add_option("--seed", setup.seed, "match seed; every throw's random error derives from it")
                     ->check(WholeNumber)
                     ->capture_default_str()
                     ->type_name("S");
    auto *error =
        app.add_option("--error", setup.error, "thrower's error SIGMA in metres passed to the physics library")
            ->check(CLI::Range(0.0, 10.0))
            ->capture_default_str()
            ->type_name("SIGMA");
    auto *timeout = app.add_option("--timeout", setup.timeoutSeconds, "seconds an engine may take for each reply")
                        ->check(CLI::Range(0.001, 86400.0))
                        ->capture_default_str()
                        ->type_name("SECONDS");
    auto *concurrency =
        app.add_option("--concurrency", options.concurrency, "games played at once, each with its own engine processes")
            ->check(Integer)
            ->check(CLI::Range(1, 256))
            ->capture_default_str()
            ->type_name("N");
    auto *shardOption =
        app.add_option("--shard", shard, "play only shard I of N: the pairs p with (p - 1) mod N = I - 1")
            ->check(ShardText)
            ->type_name("I/N");
    auto *sprt = app.add_option("--sprt", setup.sprt,
                                "stop at a decision of the test \"elo0=E0 elo1=E1 [alpha=A] [beta=B]\" (two engines)")
                     ->type_name("TEST");
    std::string positionsPath;
    auto *positions = app.add_option("--positions", positionsPath,
                                     "start the games of each pair from the next position of FILE (JSON Lines)")
                          ->type_name("FILE");
    auto *anchorOption =
        app.add_option("--anchor", anchor,
                       "three or more engines: the engine rated 0 in the rating table (default: the mean is 0)")
            ->type_name("ENGINE");
    auto *tcOption = app.add_option("--tc", tc,
                                    "a game clock per side: SECONDS for the regular ends, INCREMENT more after "
                                    "each shot; a reply after the clock ran out loses on time")
                         ->type_name("SECONDS[+INCREMENT]");
    auto *record = app.add_option("--record", options.recordPath, "write the record, one JSON line per game, to FILE");
    auto *resume = app.add_flag("--resume", options.resume,
                                "continue the run whose record is FILE, playing only the missing games");
    auto *overwrite = app.add_flag("--overwrite", options.overwrite,
                                   "start the record FILE afresh even when it holds games (not with --resume)");
    overwrite->excludes(resume);
    auto *svg = app.add_option("--svg", options.svgDirectory, "write SVG pictures of every end and game into DIR");
    auto *replay = app.add_option("--replay", options.replayPath, "replay the shots of a record FILE and compare");
    auto *summary =
        app.add_option("--summary", options.summaryPaths, "print the summary of the records FILE... (whole or shards)");
    auto *json = app.add_flag("--json", options.summaryAsJson, "with --summary: print the summary as JSON");
    auto *summaryJson = app.add_option("--summary-json", options.summaryJsonPath,
                                       "keep the summary as JSON in FILE, replaced as games finish and at the end")
                            ->type_name("FILE");
    auto *ratingInterval = app.add_option("--rating-interval", options.ratingInterval,
                                          "print the standings on standard error every N finished games")
                               ->check(Integer)
                               ->check(CLI::Range(1, 1000000))
                               ->type_name("N");
    auto *html = app.add_option("--html", options.htmlPath,
                                "write the match as one HTML page FILE that steps through every shot (with --replay: "
                                "made from the record)")
                     ->type_name("FILE");
    auto *log = app.add_option("--log", options.logPath,
                               "write every line sent to and received from the engines, with game, engine and time")
                    ->type_name("FILE");
    auto *check = app.add_option("--check", options.checkEngine,
                                 "drive one engine through a compliance run and say what it does wrong")
                      ->type_name("ENGINE");
    app.set_version_flag("--version", std::string("pebble-match ") + PEBBLE_VERSION, "print the version and exit");
    // A check plays no match: of the game options only the timeout applies (and the log).
    for (CLI::Option *option : {record,      resume,         overwrite, svg,          ends,     games,  seed,    error,
                                concurrency, shardOption,    sprt,      anchorOption, gauntlet, replay, summary, html,
                                summaryJson, ratingInterval, positions, tcOption})
        check->excludes(option);
    // Neither talks to an engine.
    for (CLI::Option *reader : {replay, summary})
        reader->excludes(log);
    // A replay or a summary reads what records say; game options would go unused.
    for (CLI::Option *reader : {replay, summary})
        for (CLI::Option *option :
             {record, resume, overwrite, ends, games, seed, error, timeout, concurrency, shardOption, sprt,
              anchorOption, gauntlet, summaryJson, ratingInterval, positions, tcOption})
            reader->excludes(option);
    summary->excludes(svg);
    replay->excludes(summary);
    json->needs(summary);
    summary->excludes(html);
    record->type_name("FILE");
    svg->type_name("DIR");
    replay->type_name("FILE");
    summary->type_name("FILE");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &help) {
        return app.exit(help);
    } catch (const CLI::CallForVersion &version) {
        return app.exit(version);
    } catch (const CLI::ParseError &failure) {
        std::cerr << "pebble-match: " << failure.what() << "\nRun with --help for more information.\n";
        return 2;
    }
    std::string engineError;
    setup.engines = NameEngines(engines, engineError);
    if (!engineError.empty()) {
        std::cerr << "pebble-match: " << engineError << "\n";
        return 2;
    }
    if (tcOption->count() > 0) {
        std::string tcError;
        setup.tc = ParseTimeControl(tc, tcError);
        if (!setup.tc) {
            std::cerr << "pebble-match: --tc " << tcError << "\n";
            return 2;
        }
    }
    if (!shard.empty())
        setup.shard = ParseShard(shard);
    if (!anchor.empty())
        setup.anchor = anchor;
    if (std::string conflict = Conflicts(options, check->count() > 0); !conflict.empty()) {
        std::cerr << "pebble-match: " << conflict << "\n";
        return 2;
    }
    if (!options.replayPath.empty() || !options.summaryPaths.empty() || check->count() > 0)
        return std::nullopt;
    while (engines.size() < 2)
        engines.push_back(Quote(defaultEngine));
    setup.engines = NameEngines(engines, engineError);
    std::string conflict = ReadSprt(setup, sprt->count() > 0);
    if (conflict.empty())
        conflict = AnchorConflict(setup);
    if (conflict.empty())
        conflict = ClockConflict(setup);
    if (conflict.empty() && !positionsPath.empty())
        setup.positions = ReadPositionsFile(positionsPath, setup.ends, conflict);
    if (!conflict.empty()) {
        std::cerr << "pebble-match: " << conflict << "\n";
        return 2;
    }
    return std::nullopt;
}

}  // namespace match::setup
