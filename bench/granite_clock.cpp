// granite on a game clock: games of granite against itself over the protocol,
// driven as a match manager with a clock drives them. Before each GO the side
// to move is sent TIME with both clocks; its clock runs from GO written to the
// reply read, and gets the increment back after the shot. The shots are thrown
// with the match's error; a game tied after its regular ends gets up to three
// extra ends, each adding the regular ends' average time to both clocks.
// Prints granite's mean and longest think time per stone of an end, and per
// game and side the clock used and the least left before a shot; exits 1 when
// a side runs out of time.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_processes.h"
#include "end_score.h"
#include "tessival.h"

namespace {

constexpr float RANDOM_ERROR = 0.145f;
constexpr int MAX_EXTRA_ENDS = 3;
constexpr int STONES = 16;
constexpr int HAMMER_FIRST = 1;  // the side with the hammer in the first end

struct Settings {
    double seconds = 60.0;
    double incrementSeconds = 0.0;
    int ends = 8;
    int games = 2;
    std::string graniteArguments;
};

// One side's clock through a game, in milliseconds.
struct SideClock {
    double leftMs = 0.0;
    double totalMs = 0.0;  // the start, the increments and the extra ends' time
    double lowestMs = 0.0;
};

using ThinkTimes = std::vector<std::vector<double>>;  // by stone index of the end

std::vector<std::string> Words(const std::string &text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::string Commands(const GameState &state, int stone, int lastEnd, const int score[2], const SideClock clocks[2],
                     int side)
{
    std::ostringstream text;
    text << "POSITION";
    char number[32];
    for (const auto &xy : state.stones)
        for (const float coordinate : xy) {
            std::snprintf(number, sizeof number, " %.6f", static_cast<double>(coordinate));
            text << number;
        }
    const auto whole = [](double ms) { return static_cast<long long>(std::max(ms, 0.0)); };
    text << "\nSETSTATE " << stone << " " << state.currentEnd << " " << lastEnd << " " << stone % 2 << "\nSCORE "
         << score[side] << " " << score[1 - side] << "\nTIME " << whole(clocks[side].leftMs) << " "
         << whole(clocks[1 - side].leftMs) << "\n";
    return text.str();
}

// The shot of a BESTSHOT reply, or false.
bool ParseShot(const std::string &reply, ShotVector &shot)
{
    int spin = -1;
    if (std::sscanf(reply.c_str(), "BESTSHOT %f %f %d", &shot.vx, &shot.vy, &spin) != 3)
        return false;
    shot.spin = static_cast<uint8_t>(spin);
    return true;
}

// Plays one game; false after a message when a side lost on time or an engine failed.
bool PlayGame(const Settings &settings, int game, ThinkTimes &thinkTimes)
{
    const std::string granite = bench::ExecutableFolder() + "/granite";
    std::vector<bench::EnginePipe> engines;
    engines.reserve(2);
    SideClock clocks[2];
    for (SideClock &clock : clocks) {
        engines.emplace_back(granite, Words(settings.graniteArguments));
        // As a manager does: the clock starts once the engine is ready.
        engines.back().Send("NEWGAME\nISREADY\n");
        if (engines.back().Reply() != "READYOK") {
            std::cerr << "game " << game << ": " << granite << " is not ready\n";
            return false;
        }
        clock.leftMs = clock.totalMs = clock.lowestMs = settings.seconds * 1000.0;
    }
    int score[2] = {0, 0};
    int hammer = HAMMER_FIRST;
    for (int end = 0; end < settings.ends || (score[0] == score[1] && end < settings.ends + MAX_EXTRA_ENDS); ++end) {
        for (SideClock &clock : clocks)
            if (end >= settings.ends) {
                clock.leftMs += settings.seconds * 1000.0 / settings.ends;
                clock.totalMs += settings.seconds * 1000.0 / settings.ends;
            }
        GameState state = {};
        state.currentEnd = end;
        for (int stone = 0; stone < STONES; ++stone) {
            const int side = stone % 2 == 1 ? hammer : 1 - hammer;
            SideClock &clock = clocks[side];
            clock.lowestMs = std::min(clock.lowestMs, clock.leftMs);
            engines[static_cast<std::size_t>(side)].Send(
                Commands(state, stone, settings.ends - 1, score, clocks, side));
            const auto start = std::chrono::steady_clock::now();
            engines[static_cast<std::size_t>(side)].Send("GO\n");
            const std::string reply = engines[static_cast<std::size_t>(side)].Reply();
            const double thinkMs =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            ShotVector shot{};
            if (!ParseShot(reply, shot)) {
                std::cerr << "game " << game << ": side " << side << " answered '" << reply << "'\n";
                return false;
            }
            clock.leftMs -= thinkMs;
            if (clock.leftMs < 0.0) {
                std::cerr << "game " << game << ": side " << side << " lost on time in end " << end + 1 << ", shot "
                          << stone << " (" << thinkMs << " ms)\n";
                return false;
            }
            clock.leftMs += settings.incrementSeconds * 1000.0;
            clock.totalMs += settings.incrementSeconds * 1000.0;
            thinkTimes[static_cast<std::size_t>(stone)].push_back(thinkMs);
            const auto seed = static_cast<uint32_t>(game * 1000 + end * STONES + stone + 1);
            if (Simulation(&state, shot, RANDOM_ERROR, seed, -1) != 1) {
                std::cerr << "game " << game << ": the library refused '" << reply << "'\n";
                return false;
            }
        }
        const int points = rules::EndScore(state, 1);  // the hammer's side throws the odd stones
        if (points == 0)
            continue;
        const int scorer = points > 0 ? hammer : 1 - hammer;
        score[scorer] += std::abs(points);
        hammer = 1 - scorer;
    }
    for (int side = 0; side < 2; ++side) {
        const SideClock &clock = clocks[side];
        const double usedMs = clock.totalMs - clock.leftMs;
        std::printf("game %d side %d: used %.2f s of %.2f s (%.0f %%), least left before a shot %.2f s; score %d-%d\n",
                    game, side, usedMs / 1000.0, clock.totalMs / 1000.0, 100.0 * usedMs / clock.totalMs,
                    clock.lowestMs / 1000.0, score[0], score[1]);
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    Settings settings;
    CLI::App app{"granite against itself on a game clock: its think time per stone and its use of the clock"};
    app.add_option("--seconds", settings.seconds, "each side's clock for the regular ends")
        ->check(CLI::PositiveNumber)
        ->capture_default_str();
    app.add_option("--increment", settings.incrementSeconds, "seconds added after each shot")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    app.add_option("--ends", settings.ends, "regular ends")->check(CLI::Range(1, 10))->capture_default_str();
    app.add_option("--games", settings.games, "games to play")->check(CLI::Range(1, 1000))->capture_default_str();
    app.add_option("--granite", settings.graniteArguments, "granite's arguments, as one string");
    CLI11_PARSE(app, argc, argv);

    const std::string engine = "granite " + settings.graniteArguments;
    std::printf("%s on a %g+%g clock, %d ends\n", engine.substr(0, engine.find_last_not_of(' ') + 1).c_str(),
                settings.seconds, settings.incrementSeconds, settings.ends);
    ThinkTimes thinkTimes(STONES);
    for (int game = 1; game <= settings.games; ++game)
        if (!PlayGame(settings, game, thinkTimes))
            return 1;
    std::printf("stone  mean ms  max ms  shots\n");
    for (int stone = 0; stone < STONES; ++stone) {
        const std::vector<double> &times = thinkTimes[static_cast<std::size_t>(stone)];
        double sum = 0.0;
        for (const double time : times)
            sum += time;
        std::printf("%5d %8.0f %7.0f %6zu\n", stone, sum / static_cast<double>(times.size()),
                    *std::max_element(times.begin(), times.end()), times.size());
    }
    return 0;
}
