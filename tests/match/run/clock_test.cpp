// Game clocks through the real runner: the TIME line, loss on time, per-engine
// tc=, refused values, and clocks in resume and summary.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include <nlohmann/json.hpp>

#include "run_program.h"
#include "setup/engine_names.h"
#include "test_directory.h"
#include "without_times.h"

using match::game::TimeControl;
using match::setup::EngineEntry;
using match::setup::NameEngines;
using nlohmann::json;

namespace {

using namespace std::chrono_literals;

const std::string RUNNER = PEBBLE_MATCH_PATH;
const std::string ENGINE = SCRIPTED_ENGINE_PATH;
const std::string PEBBLE = PEBBLE_PATH;

std::vector<json> RecordLines(const std::string &path)
{
    std::vector<json> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);)
        lines.push_back(json::parse(line));
    return lines;
}

// Every shot of a game line, in order.
std::vector<json> Shots(const json &game)
{
    std::vector<json> shots;
    for (const json &end : game.at("ends"))
        for (const json &shot : end.at("shots"))
            shots.push_back(shot);
    return shots;
}

class Clock : public TestDirectory {};

TEST_F(Clock, ASlowEngineLosesOnTimeAndIsNotAwaitedPastItsClock)
{
    // B sleeps 450 ms a shot with 1 s and 0.1 s more a shot: 650 ms left
    // after its first shot, 300 ms after its second, too little for its third.
    ProgramRun slow = RunProgram({RUNNER, "--ends", "1", "--tc", "1+0.1", "--record", Path("slow.jsonl"),
                                  ENGINE + " steady", ENGINE + " sleep-450"},
                                 30s);
    ASSERT_EQ(slow.status, 0) << slow.err;
    EXPECT_NE(slow.err.find("engine B (" + ENGINE +
                            " sleep-450) loses game 1: it lost on time in end 1, shot 6: 0.00 s left"),
              std::string::npos)
        << slow.err;
    EXPECT_TRUE(
        std::regex_search(slow.err, std::regex("the shot took 0\\.[0-9]{3} s with 0\\.[0-3][0-9]{2} s on the clock")))
        << slow.err;
    EXPECT_NE(slow.out.find("B scripted_engine-2 loses on time, A scripted_engine wins"), std::string::npos)
        << slow.out;
    json game = RecordLines(Path("slow.jsonl")).at(1);
    json forfeit = game.at("result").at("forfeit");
    EXPECT_EQ(forfeit.at("engine"), "B");
    EXPECT_EQ(forfeit.at("onTime"), true);
    std::vector<json> shots = Shots(game);
    ASSERT_EQ(shots.size(), 6u);
    EXPECT_FALSE(shots.back().contains("shot")) << "the late reply is not thrown";
    EXPECT_EQ(shots.back().at("clockMs").at(1), 0);
    EXPECT_LT(shots.back().at("thinkMs").get<double>(), 420.0) << "the wait ends with the clock";
    for (std::size_t k = 1; k < 5; k += 2)
        EXPECT_GE(shots[k].at("thinkMs").get<double>(), 450.0);

    // Without the clock's end before it, --timeout alone would wait 60 s.
    ProgramRun stuck =
        RunProgram({RUNNER, "--ends", "1", "--tc", "1", ENGINE + " steady", ENGINE + " sleep-20000"}, 30s);
    ASSERT_EQ(stuck.status, 0) << stuck.err;
    EXPECT_NE(stuck.err.find("it lost on time in end 1, shot 2: 0.00 s left, the shot took 1.0"), std::string::npos)
        << stuck.err;
    EXPECT_LT(stuck.seconds, 5.0);

    // --timeout stays the cap per reply when it comes before the clock's end.
    ProgramRun capped = RunProgram(
        {RUNNER, "--ends", "1", "--tc", "100", "--timeout", "1", ENGINE + " steady", ENGINE + " silent"}, 30s);
    EXPECT_NE(capped.err.find("it did not answer GO within 1 s on shot 2 of end 1"), std::string::npos) << capped.err;
}

// The TIME line before each GO gives the clocks the record holds after the
// shot before (or the time control, at the start), the side to move's first.
TEST_F(Clock, TimeLinesGiveBothClocksAndEachEngineItsOwnTimeControl)
{
    ProgramRun run = RunProgram({RUNNER, "--ends", "1", "--tc", "10+0.5", "--log", Path("log"), "--record",
                                 Path("record.jsonl"), "name=x tc=20+1 " + ENGINE + " steady", ENGINE + " steady"},
                                30s);
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<json> lines = RecordLines(Path("record.jsonl"));
    EXPECT_EQ(lines[0].at("tc"), json({{"seconds", 10.0}, {"increment", 0.5}}));
    EXPECT_EQ(lines[0].at("engines").at(0).at("tc"), json({{"seconds", 20.0}, {"increment", 1.0}}));
    EXPECT_FALSE(lines[0].at("engines").at(1).contains("tc"));

    // The lines sent to each engine, in order: SCORE, then TIME, then GO.
    std::vector<std::pair<char, std::string>> times;
    std::regex sent(R"(^[0-9.]+ \[game 1 ([AB]) [^\]]+\] > (.*)$)");
    std::ifstream log(Path("log"));
    std::string previous;
    for (std::string line; std::getline(log, line);) {
        std::smatch fields;
        if (!std::regex_match(line, fields, sent))
            continue;
        std::string text = fields[2];
        if (text.starts_with("TIME ")) {
            EXPECT_TRUE(previous.starts_with("SCORE ")) << previous;
            times.push_back({fields[1].str()[0], text});
        }
        if (text == "GO") {
            EXPECT_TRUE(previous.starts_with("TIME ")) << "TIME comes last before GO";
        }
        previous = text;
    }
    std::vector<json> shots = Shots(lines.at(1));
    ASSERT_EQ(times.size(), shots.size());
    long long clocks[2] = {20000, 10000};
    for (std::size_t k = 0; k < shots.size(); ++k) {
        int side = shots[k].at("engine") == "A" ? 0 : 1;
        EXPECT_EQ(times[k].first, shots[k].at("engine").get<std::string>()[0]);
        EXPECT_EQ(times[k].second, "TIME " + std::to_string(clocks[side]) + " " + std::to_string(clocks[1 - side]))
            << "shot " << k + 1;
        // Charged what it took, rounded down to whole ms, then the increment.
        double expected =
            static_cast<double>(clocks[side]) - shots[k].at("thinkMs").get<double>() + (side == 0 ? 1000.0 : 500.0);
        long long after = shots[k].at("clockMs").at(side).get<long long>();
        EXPECT_NEAR(static_cast<double>(after), expected, 1.0) << "shot " << k + 1;
        EXPECT_EQ(shots[k].at("clockMs").at(1 - side).get<long long>(), clocks[1 - side]);
        clocks[0] = shots[k].at("clockMs").at(0).get<long long>();
        clocks[1] = shots[k].at("clockMs").at(1).get<long long>();
    }
}

TEST_F(Clock, PebblePlaysTheSameGamesWhenItIsToldTheTime)
{
    auto play = [&](const std::string &record, std::vector<std::string> extra) {
        std::vector<std::string> arguments = {RUNNER, "--ends",   "2",          "--games", "2",   "--seed",
                                              "3",    "--record", Path(record), PEBBLE,    PEBBLE};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        ProgramRun run = RunProgram(arguments, 120s);
        EXPECT_EQ(run.status, 0) << run.err;
        std::vector<json> lines = RecordLines(Path(record));
        std::string games;
        for (std::size_t k = 1; k < lines.size(); ++k)
            games += WithoutTimes(lines[k].dump()) + "\n";
        return games;
    };
    std::string plain = play("plain.jsonl", {});
    EXPECT_EQ(plain, play("clock.jsonl", {"--tc", "1000+1", "--log", Path("log")}));
    EXPECT_NE(FileText(Path("log")).find("> TIME "), std::string::npos) << "pebble was told the time";
    EXPECT_EQ(FileText(Path("plain.jsonl")).find("clockMs"), std::string::npos);
}

TEST_F(Clock, BadTimeControlsAreRefusedBeforeAnyGame)
{
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    for (const Case &bad :
         {Case{{"--tc", "0"}, "--tc \"0\": SECONDS must be above 0"},
          Case{{"--tc", "10+-1"}, "--tc \"10+-1\": INCREMENT must be from 0 to 1e9"},
          Case{{"--tc", "abc"}, "--tc \"abc\" is not SECONDS[+INCREMENT], such as 60 or 30+0.5"},
          Case{{"--tc", "nan"}, "is not SECONDS[+INCREMENT]"}, Case{{"--tc", "5+"}, "is not SECONDS[+INCREMENT]"},
          Case{{"tc=1+x " + ENGINE, ENGINE}, "tc=1+x in \"tc=1+x " + ENGINE + "\": \"1+x\" is not SECONDS[+INCREMENT]"},
          Case{{"tc=10 " + ENGINE, ENGINE}, "tc= is given for some engines only: give --tc for the others"},
          Case{{"--summary", Path("none.jsonl"), "--tc", "10"}, "--tc excludes --summary"}}) {
        std::vector<std::string> arguments = {RUNNER};
        arguments.insert(arguments.end(), bad.arguments.begin(), bad.arguments.end());
        ProgramRun run = RunProgram(arguments, 10s);
        EXPECT_EQ(run.status, 2) << bad.message;
        EXPECT_NE(run.err.find(bad.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(Clock, EnginesTakeTcAndNameInEitherOrder)
{
    std::string error;
    std::vector<EngineEntry> engines =
        NameEngines({"tc=30+0.5 name=g ./granite --nodes 5", "name=p tc=12 ./pebble", "./pebble"}, error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(engines.size(), 3u);
    EXPECT_EQ(engines[0].name + "|" + engines[0].command, "g|./granite --nodes 5");
    EXPECT_EQ(engines[0].tc, (TimeControl{30.0, 0.5}));
    EXPECT_EQ(engines[1].name + "|" + engines[1].command, "p|./pebble");
    EXPECT_EQ(engines[1].tc, (TimeControl{12.0, 0.0}));
    EXPECT_EQ(engines[2].name, "pebble");
    EXPECT_FALSE(engines[2].tc);
}

// The header's clock joins the options a resumed run and a summary of shards compare.
TEST_F(Clock, ResumeAndSummariesTellAnotherClock)
{
    auto match = [&](const std::string &record, std::vector<std::string> extra) {
        std::vector<std::string> arguments = {
            RUNNER, "--ends", "1", "--record", Path(record), ENGINE + " steady", ENGINE + " weak"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return RunProgram(arguments, 30s);
    };
    ASSERT_EQ(match("whole.jsonl", {"--games", "2", "--tc", "60"}).status, 0);
    std::ifstream whole(Path("whole.jsonl"));
    std::string header;
    std::string first;
    std::getline(whole, header);
    std::getline(whole, first);
    std::ofstream(Path("part.jsonl")) << header << "\n" << first << "\n";

    ProgramRun noClock = match("part.jsonl", {"--games", "2", "--resume"});
    EXPECT_EQ(noClock.status, 1);
    EXPECT_NE(noClock.err.find("tc is {\"increment\":0.0,\"seconds\":60.0} there, missing here"), std::string::npos)
        << noClock.err;
    ProgramRun otherClock = match("part.jsonl", {"--games", "2", "--resume", "--tc", "30"});
    EXPECT_EQ(otherClock.status, 1);
    EXPECT_NE(otherClock.err.find("tc is {\"increment\":0.0,\"seconds\":60.0} there, "
                                  "{\"increment\":0.0,\"seconds\":30.0} here"),
              std::string::npos)
        << otherClock.err;
    ProgramRun resumed = match("part.jsonl", {"--games", "2", "--resume", "--tc", "60"});
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(WithoutTimes(FileText(Path("part.jsonl"))), WithoutTimes(FileText(Path("whole.jsonl"))));

    ASSERT_EQ(match("shard1.jsonl", {"--tc", "60", "--shard", "1/2", "--games", "4"}).status, 0);
    ASSERT_EQ(match("shard2.jsonl", {"--shard", "2/2", "--games", "4"}).status, 0);
    ProgramRun mixed = RunProgram({RUNNER, "--summary", Path("shard1.jsonl"), Path("shard2.jsonl")}, 30s);
    EXPECT_EQ(mixed.status, 1);
    EXPECT_NE(mixed.err.find("belongs to another match than " + Path("shard1.jsonl") + ": tc is missing there"),
              std::string::npos)
        << mixed.err;
}

// The summary's think times and clocks: a sleeping engine thinks its sleep.
TEST_F(Clock, TheSummaryGivesThinkTimesAndTheClocksLeft)
{
    ProgramRun run = RunProgram({RUNNER, "--ends", "1", "--games", "2", "--tc", "30+1", "--record",
                                 Path("record.jsonl"), ENGINE + " sleep-40", ENGINE + " steady"},
                                30s);
    ASSERT_EQ(run.status, 0) << run.err;
    ProgramRun text = RunProgram({RUNNER, "--summary", Path("record.jsonl")}, 30s);
    ASSERT_EQ(text.status, 0) << text.err;
    std::smatch row;
    ASSERT_TRUE(std::regex_search(
        text.out, row,
        std::regex(
            R"(\nscripted_engine    think 0\.0([0-9]{2}) s mean, 0\.0[0-9]{2} s longest  left ([0-9.]+) s mean, ([0-9.]+) s least\n)")))
        << text.out;
    EXPECT_GE(std::stoi(row[1]), 40);
    // 30 s, 8 shots of about 40 ms, 8 s of increments.
    EXPECT_NEAR(std::stod(row[2]), 37.6, 0.3);
    EXPECT_NE(text.out.find("\nscripted_engine-2  think 0.0"), std::string::npos) << text.out;

    ProgramRun asJson = RunProgram({RUNNER, "--summary", Path("record.jsonl"), "--json"}, 30s);
    json times = json::parse(asJson.out).at("times");
    ASSERT_EQ(times.size(), 2u);
    EXPECT_EQ(times[0].at("engine"), "scripted_engine");
    EXPECT_EQ(times[0].at("shots"), 16);
    EXPECT_EQ(times[0].at("clockGames"), 2);
    EXPECT_GE(times[0].at("meanThinkMs").get<double>(), 40.0);
    EXPECT_GE(times[0].at("longestThinkMs").get<double>(), times[0].at("meanThinkMs").get<double>());
    EXPECT_LE(times[0].at("leastLeftMs").get<double>(), times[0].at("meanLeftMs").get<double>());
    EXPECT_LT(times[1].at("meanThinkMs").get<double>(), 40.0);
}

}  // namespace
