#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

#include "pausing_match.h"
#include "record/record_file.h"
#include "run_program.h"
#include "schedule/game_schedule.h"
#include "setup/engine_names.h"
#include "test_directory.h"
#include "without_times.h"

using namespace match::game;
using namespace match::process;
using namespace match::record;
using namespace match::schedule;
using namespace match::setup;

namespace {

using namespace std::chrono_literals;

const std::string RUNNER = PEBBLE_MATCH_PATH;
const std::string ENGINE = SCRIPTED_ENGINE_PATH;

int LineCount(const std::string &path)
{
    std::string text = FileText(path);
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

struct ScheduleCase {
    int engines;
    bool gauntlet;
    int games;
    // number, pair, A, B, first hammer of every game
    std::vector<std::array<int, 5>> expected;
};

TEST(GameSchedule, PairsGamesWithTheHammerSwappedOverEveryPairing)
{
    constexpr int B = 1;
    constexpr int A = 0;
    for (const ScheduleCase &test :
         {ScheduleCase{2, false, 3, {{1, 1, 0, 1, B}, {2, 1, 0, 1, A}, {3, 2, 0, 1, B}}},
          ScheduleCase{
              3,
              false,
              2,
              {{1, 1, 0, 1, B}, {2, 1, 0, 1, A}, {3, 2, 0, 2, B}, {4, 2, 0, 2, A}, {5, 3, 1, 2, B}, {6, 3, 1, 2, A}}},
          ScheduleCase{4, true, 1, {{1, 1, 0, 1, B}, {2, 2, 0, 2, B}, {3, 3, 0, 3, B}}}}) {
        MatchSetup setup;
        setup.engines.resize(static_cast<std::size_t>(test.engines));
        setup.gauntlet = test.gauntlet;
        setup.games = test.games;
        std::vector<ScheduledGame> schedule = MatchSchedule(setup);
        ASSERT_EQ(schedule.size(), test.expected.size()) << test.engines << " engines";
        for (std::size_t k = 0; k < schedule.size(); ++k) {
            const ScheduledGame &game = schedule[k];
            EXPECT_EQ(
                (std::array<int, 5>{game.number, game.pair, game.players[0], game.players[1], Index(game.firstHammer)}),
                test.expected[k]);
        }
    }
}

TEST(GameSchedule, ShardsSplitWholePairsAndTogetherHoldEveryGame)
{
    MatchSetup setup;
    setup.engines.resize(3);
    setup.games = 5;
    std::vector<int> numbers;
    for (int index = 1; index <= 4; ++index) {
        setup.shard = {index, 4};
        for (const ScheduledGame &game : ShardSchedule(setup)) {
            EXPECT_EQ((game.pair - 1) % 4, index - 1);
            numbers.push_back(game.number);
        }
    }
    std::sort(numbers.begin(), numbers.end());
    ASSERT_EQ(numbers.size(), 15u);
    for (int k = 0; k < 15; ++k)
        EXPECT_EQ(numbers[static_cast<std::size_t>(k)], k + 1);
}

TEST(EngineNames, LabelsOrExecutablesMadeUnique)
{
    std::string error;
    std::vector<EngineEntry> engines =
        NameEngines({"build/bin/pebble", "name=fast build/bin/pebble --level 2", "/x/pebble", "'/y/pebble'"}, error);
    ASSERT_EQ(engines.size(), 4u);
    EXPECT_EQ(error, "");
    EXPECT_EQ(engines[0].name, "pebble");
    EXPECT_EQ(engines[1].name, "fast");
    EXPECT_EQ(engines[1].command, "build/bin/pebble --level 2");
    EXPECT_EQ(engines[2].name, "pebble-2");
    EXPECT_EQ(engines[3].name, "pebble-3");
    EXPECT_EQ(EngineName("'/opt/engines/pebble' --fast"), "pebble");
    EXPECT_EQ(EngineName("./bin/engine"), "engine");
}

class MatchAtScale : public TestDirectory {
protected:
    // Engines whose replies come in pieces with pauses, so that concurrent games end in any order.
    std::vector<std::string> Match(const std::string &record, std::vector<std::string> extra) const
    {
        return PausingMatch(Path(record), extra);
    }
};

TEST_F(MatchAtScale, ConcurrentRunsWriteTheSameRecordsAndPairsShareTheirSeeds)
{
    ProgramRun one = RunProgram(Match("one.jsonl", {"--concurrency", "1"}), 120s);
    ProgramRun four = RunProgram(Match("four.jsonl", {"--concurrency", "4"}), 120s);
    ASSERT_EQ(one.status, 0) << one.err;
    ASSERT_EQ(four.status, 0) << four.err;
    EXPECT_EQ(WithoutTimes(FileText(Path("one.jsonl"))), WithoutTimes(FileText(Path("four.jsonl"))));
    EXPECT_NE(four.err.find("game 6 of 6: "), std::string::npos) << four.err;
    EXPECT_NE(four.err.find(" games/s, "), std::string::npos) << four.err;

    MatchRecord record = ReadRecordFile(Path("four.jsonl"));
    ASSERT_EQ(record.games.size(), 6u);
    auto seeds = [&](std::size_t game) {
        std::vector<uint32_t> list;
        for (const ShotRecord &shot : record.games[game].ends.at(0).shots)
            list.push_back(shot.seed);
        return list;
    };
    for (std::size_t game = 0; game < 6; ++game) {
        EXPECT_EQ(record.games[game].number, static_cast<int>(game) + 1);
        EXPECT_EQ(record.games[game].pair, static_cast<int>(game) / 2 + 1);
        EXPECT_EQ(record.games[game].firstHammer, game % 2 == 0 ? Side::B : Side::A);
    }
    EXPECT_EQ(seeds(0), seeds(1)) << "both games of a pair throw with the same seeds";
    EXPECT_NE(seeds(1), seeds(2));
}

TEST_F(MatchAtScale, AKilledConcurrentRunResumesToTheRecordOfAnUninterruptedOne)
{
    ProgramRun whole = RunProgram(Match("whole.jsonl", {}), 120s);
    ASSERT_EQ(whole.status, 0) << whole.err;

    std::unique_ptr<ChildProcess> runner =
        StartProgram(Match("killed.jsonl", {"--concurrency", "2"}), Path("out"), Path("err"));
    for (int wait = 0; wait < 3000 && LineCount(Path("killed.jsonl")) < 3; ++wait)
        std::this_thread::sleep_for(10ms);
    kill(runner->Pid(), SIGKILL);
    bool timedOut = false;
    EXPECT_EQ(WaitProgram(*runner, 10s, timedOut), 128 + SIGKILL);
    int kept = LineCount(Path("killed.jsonl")) - 1;
    EXPECT_GE(kept, 2);
    EXPECT_LT(kept, 6) << "killed before the end";
    // What a kill in the middle of a write leaves behind.
    std::ofstream(Path("killed.jsonl"), std::ios::app) << "{\"game\": 6, \"ends\": [";

    ProgramRun resumed = RunProgram(Match("killed.jsonl", {"--concurrency", "2", "--resume"}), 120s);
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_NE(resumed.err.find("the last line was cut short"), std::string::npos) << resumed.err;
    EXPECT_EQ(resumed.out.find("Game 1\n"), std::string::npos) << "a recorded game is not played again";
    EXPECT_EQ(WithoutTimes(FileText(Path("killed.jsonl"))), WithoutTimes(FileText(Path("whole.jsonl"))));

    ProgramRun other = RunProgram({RUNNER, "--ends", "1", "--games", "6", "--seed", "12", "--record",
                                   Path("killed.jsonl"), "--resume", ENGINE + " split", ENGINE + " steady"},
                                  30s);
    EXPECT_EQ(other.status, 1);
    EXPECT_NE(other.err.find("it was made with other options: seed is 11 there, 12 here"), std::string::npos)
        << other.err;
}

TEST_F(MatchAtScale, ShardsRunThroughGnuParallelSumUpAsOneRun)
{
    ProgramRun whole =
        RunProgram({RUNNER, "--ends", "1", "--games", "7", "--seed", "3", ENGINE + " steady", ENGINE + " split"}, 120s);
    ASSERT_EQ(whole.status, 0) << whole.err;
    std::string shard = Path("shard{}.jsonl");
    ProgramRun shards = RunProgram({"/usr/bin/env",
                                    "parallel",
                                    "--will-cite",
                                    "--jobs",
                                    "4",
                                    RUNNER,
                                    "--ends",
                                    "1",
                                    "--games",
                                    "7",
                                    "--seed",
                                    "3",
                                    "--shard",
                                    "{}/4",
                                    "--record",
                                    shard,
                                    "'" + ENGINE + " steady'",
                                    "'" + ENGINE + " split'",
                                    ":::",
                                    "4",
                                    "2",
                                    "3",
                                    "1"},
                                   120s);
    ASSERT_EQ(shards.status, 0) << "GNU parallel (Debian package parallel) runs the shards: " << shards.err;
    ProgramRun merged = RunProgram(
        {RUNNER, "--summary", Path("shard3.jsonl"), Path("shard1.jsonl"), Path("shard4.jsonl"), Path("shard2.jsonl")},
        30s);
    ASSERT_EQ(merged.status, 0) << merged.err;
    ASSERT_FALSE(merged.out.empty());
    EXPECT_TRUE(WithoutTimeFigures(whole.out).ends_with("\n\n" + WithoutTimeFigures(merged.out)))
        << whole.out << "\n---\n"
        << merged.out;

    ProgramRun twice = RunProgram({RUNNER, "--summary", Path("shard1.jsonl"), Path("shard1.jsonl")}, 30s);
    EXPECT_EQ(twice.status, 1);
    EXPECT_NE(twice.err.find("appears twice"), std::string::npos) << twice.err;
}

}  // namespace

namespace {

struct SprtCase {
    const char *weaker;
    const char *decision;
    int maxGames;
};

class SprtThroughTheRunner : public testing::TestWithParam<SprtCase> {};

// One end per game: steady draws to the tee, weak throws short of play,
// terminated answers as steady does.
TEST_P(SprtThroughTheRunner, StopsConcurrentGamesAtTheDecisionAndSaysWhich)
{
    std::string record = testing::TempDir() + "sprt-" + std::to_string(getpid()) + GetParam().weaker + ".jsonl";
    ProgramRun run =
        RunProgram({RUNNER, "--ends", "1", "--games", "400", "--concurrency", "3", "--sprt", "elo0=0 elo1=50",
                    "--record", record, ENGINE + " steady", ENGINE + " " + GetParam().weaker},
                   120s);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(std::string("SPRT elo0=0 elo1=50: LLR ")), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(std::string("), ") + GetParam().decision + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("the SPRT decided after pair "), std::string::npos);
    std::size_t games = run.out.find(" after ");
    ASSERT_NE(games, std::string::npos);
    int counted = std::stoi(run.out.substr(games + 7));
    EXPECT_LE(counted, GetParam().maxGames) << run.out;
    EXPECT_EQ(LineCount(record) - 1, counted) << "games begun before the decision are left out of the record";
    std::filesystem::remove(record);
}

INSTANTIATE_TEST_SUITE_P(Engines, SprtThroughTheRunner,
                         testing::Values(SprtCase{"weak", "H1 accepted", 60},
                                         SprtCase{"terminated", "H0 accepted", 60}),
                         [](const testing::TestParamInfo<SprtCase> &param) { return std::string(param.param.weaker); });

TEST(Tournament, ARoundRobinRanksTheEngineThatAlwaysWinsFirst)
{
    ProgramRun run = RunProgram({RUNNER, "--ends", "1", "--games", "2", "name=weakling " + ENGINE + " weak",
                                 "name=drawer " + ENGINE + " steady", ENGINE + " weak"},
                                60s);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("game 6 of 6"), std::string::npos) << run.err;
    std::size_t table = run.out.find("Rank  Engine");
    ASSERT_NE(table, std::string::npos) << run.out;
    std::string first = run.out.substr(run.out.find('\n', table) + 1);
    EXPECT_EQ(first.rfind("   1  drawer ", 0), 0u) << run.out;
    EXPECT_NE(first.find("scripted_engine "), std::string::npos) << "named by its executable";

    ProgramRun gauntlet = RunProgram({RUNNER, "--ends", "1", "--games", "2", "--gauntlet", "--anchor", "drawer",
                                      "name=drawer " + ENGINE + " steady", ENGINE + " weak", ENGINE + " weak"},
                                     60s);
    ASSERT_EQ(gauntlet.status, 0) << gauntlet.err;
    EXPECT_NE(gauntlet.err.find("game 4 of 4"), std::string::npos) << "the others do not play each other";
    EXPECT_NE(gauntlet.out.find("   1  drawer                 4  100.0%     +0.0  anchor"), std::string::npos)
        << gauntlet.out;
}

}  // namespace
