#include "match_options.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <iostream>

#include <CLI/CLI.hpp>

namespace {

constexpr const char *DESCRIPTION = R"(Plays curling games between two engines that speak the pebble protocol.

ENGINE_A and ENGINE_B are commands, run as /bin/sh -c 'exec COMMAND', so a
quoted command with arguments works ("./my-engine --level 3"); both default
to the pebble beside this program. ENGINE_B has the hammer in the first end of
game 1; with several games the first hammer alternates.

Per shot the engine to move gets POSITION (the 32 coordinates), SETSTATE
shotIndex currentEnd lastEnd sideFlag, SCORE own other, and GO, where
currentEnd counts from 0, lastEnd is the index of the last regular end (extra
ends go beyond it), sideFlag is 1 when the side to move has the hammer in this
end (it throws the odd-numbered stones), 0 when it throws first, and own and
other are the points of the side to move and of the other side so far in the
game (an engine that does not know SCORE ignores it, as any unknown line). An
engine that cannot start, quits, times out or answers anything but BESTSHOT
with two finite numbers and a spin of 0 or 1 forfeits the game.

Each game starts with NEWGAME and ISREADY, and the engine must answer READYOK
within the timeout. Replies are "READYOK" and "BESTSHOT vx vy spin", tokens
separated by spaces: a reply is taken as soon as its spin digit (or the K of
READYOK) arrives, and may end with a line feed. A line that ends before the
reply is whole, or has words after it, forfeits at once. Each line an engine
writes to its standard error is shown on ours after its label, as in
"[A pebble] ...".

Exit status: 0 when every game reached a result (forfeits are results), 2 for
bad usage, 1 when a record, picture or page could not be written or a replay
differs, 130 when interrupted.

The viewer page (--html FILE) needs no network and no other file: open it in a
browser and step through every shot. `--replay RECORD --html FILE` makes it
later from a record, without any engine.
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

} // namespace

std::optional<int> ParseMatchOptions(int argc, char **argv, const std::string &defaultEngine, MatchOptions &options)
{
    CLI::App app(DESCRIPTION, "pebble-match");
    app.get_formatter()->column_width(28);
    app.add_option("ENGINE_A", options.engineA, "first engine command (default: the pebble beside this program)")->type_name("COMMAND");
    app.add_option("ENGINE_B", options.engineB, "second engine command (default: the same)")->type_name("COMMAND");
    auto *ends = app.add_option("--ends", options.ends, "regular ends per game")->check(Integer)->check(CLI::Range(1, 100))->capture_default_str()->type_name("N");
    auto *games = app.add_option("--games", options.games, "games to play")->check(Integer)->check(CLI::Range(1, 100000))->capture_default_str()->type_name("N");
    auto *seed = app.add_option("--seed", options.seed, "match seed; every throw's random error derives from it")
        ->check(WholeNumber)
        ->capture_default_str()
        ->type_name("S");
    auto *error = app.add_option("--error", options.error, "thrower's error SIGMA in metres passed to the physics library")
        ->check(CLI::Range(0.0f, 10.0f))
        ->capture_default_str()
        ->type_name("SIGMA");
    auto *timeout = app.add_option("--timeout", options.timeoutSeconds, "seconds an engine may take for each reply")
        ->check(CLI::Range(0.001, 86400.0))
        ->capture_default_str()
        ->type_name("SECONDS");
    auto *record = app.add_option("--record", options.recordPath, "write every game as JSON to FILE");
    auto *svg = app.add_option("--svg", options.svgDirectory, "write SVG pictures of every end and game into DIR");
    auto *replay = app.add_option("--replay", options.replayPath, "replay the shots of a record FILE and compare");
    app.add_option("--html", options.htmlPath, "write the match as one HTML page FILE that steps through every shot (with --replay: made from the record)")
        ->type_name("FILE");
    // A replay plays what the record says; game options would go unused.
    for (CLI::Option *option : {record, svg, ends, games, seed, error, timeout})
        replay->excludes(option);
    record->type_name("FILE");
    svg->type_name("DIR");
    replay->type_name("FILE");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &help) {
        return app.exit(help);
    } catch (const CLI::ParseError &failure) {
        std::cerr << "pebble-match: " << failure.what() << "\nRun with --help for more information.\n";
        return 2;
    }
    bool blank = (app.count("ENGINE_A") != 0 && options.engineA.find_first_not_of(" \t") == std::string::npos) ||
                 (app.count("ENGINE_B") != 0 && options.engineB.find_first_not_of(" \t") == std::string::npos);
    if (blank) {
        std::cerr << "pebble-match: an engine command is empty\n";
        return 2;
    }
    if (!options.replayPath.empty() && !options.engineA.empty()) {
        std::cerr << "pebble-match: --replay takes no engines\n";
        return 2;
    }
    if (!std::isfinite(options.error)) {
        std::cerr << "pebble-match: --error must be a finite number\n";
        return 2;
    }
    if (!std::isfinite(options.timeoutSeconds)) {
        std::cerr << "pebble-match: --timeout must be a finite number\n";
        return 2;
    }
    std::string fallback = Quote(defaultEngine);
    if (options.engineA.empty())
        options.engineA = fallback;
    if (options.engineB.empty())
        options.engineB = fallback;
    return std::nullopt;
}
