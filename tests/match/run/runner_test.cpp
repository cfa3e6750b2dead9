#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "record/record_file.h"
#include "run_program.h"
#include "test_directory.h"
#include "without_times.h"
#include "xml_check.h"

using namespace match::game;
using namespace match::process;
using namespace match::record;

namespace {

using namespace std::chrono_literals;

const std::string RUNNER = PEBBLE_MATCH_PATH;
const std::string ENGINE = SCRIPTED_ENGINE_PATH;

// The lines of a record: the header, then one per game.
std::vector<nlohmann::json> RecordLines(const std::string &path)
{
    std::vector<nlohmann::json> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);)
        lines.push_back(nlohmann::json::parse(line));
    return lines;
}

class Runner : public TestDirectory {
protected:
    void SetUp() override
    {
        TestDirectory::SetUp();
        pidFile_ = Path("pids");
    }

    std::string Engine(const std::string &mode) const { return ENGINE + " " + mode + " " + pidFile_; }

    // Every engine process the runner started is gone, reaped, not a zombie.
    void ExpectNoEngineLeft() const
    {
        std::vector<pid_t> pids = ReadPids(pidFile_);
        EXPECT_FALSE(pids.empty());
        for (pid_t pid : pids)
            EXPECT_FALSE(ProcessExists(pid)) << "process " << pid << " is left";
    }

    std::string pidFile_;
};

struct Fault {
    const char *mode;
    const char *message;
};

class FaultyEngine : public Runner, public testing::WithParamInterface<Fault> {};

TEST_P(FaultyEngine, ForfeitsWithoutHangingAndLeavesNoProcess)
{
    ProgramRun run =
        RunProgram({RUNNER, "--timeout", "1", "--ends", "2", Engine("steady"), Engine(GetParam().mode)}, 20s);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("engine B (" + Engine(GetParam().mode) + ") forfeits game 1: it "), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("B scripted_engine-2 forfeits, A scripted_engine wins"), std::string::npos) << run.out;
    EXPECT_LT(run.seconds, 8.0);
    ExpectNoEngineLeft();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultyEngine,
    testing::Values(Fault{"quit-mid", "exited with status 0 on shot 8 of end 1"},
                    Fault{"silent", "did not answer GO within 1 s on shot 2 of end 1"},
                    Fault{"mute", "did not answer ISREADY within 1 s"},
                    Fault{"deaf", "did not read its input within 1 s before answering ISREADY"},
                    Fault{"garbage", "answered \"HELLO THERE\", not a BESTSHOT reply"},
                    Fault{"nonfinite", "\"nan\" is not a finite number"},
                    Fault{"bad-spin", "spin \"2\" is neither 0 nor 1"},
                    Fault{"flood", "more than 1024 bytes without a complete BESTSHOT reply"},
                    Fault{"partial", "\"BESTSHOT 0.079850 -2.128900\": the line ends before the spin on shot 2"},
                    Fault{"trailing", "\"thinking\" follows the reply on its line on shot 2 of end 1"}),
    [](const testing::TestParamInfo<Fault> &param) {
        std::string name = param.param.mode;
        std::erase(name, '-');
        return name;
    });

TEST_F(Runner, AnEngineThatCannotStartInItsFirstGameStopsTheRun)
{
    std::ofstream(Path("plain-file")) << "not a program\n";
    struct Case {
        std::string command;
        const char *message;
    };
    for (const Case &engine :
         {Case{Path("no-such-engine"), "exited with status 127 (command not found) before answering ISREADY"},
          Case{Path("plain-file"), "exited with status 126 (command not executable) before answering ISREADY"},
          Case{Engine("crash"), "exited with status 3 before answering ISREADY"}}) {
        ProgramRun run = RunProgram({RUNNER, "--ends", "1", "--games", "4", Engine("steady"), engine.command}, 20s);
        EXPECT_EQ(run.status, 3) << run.err;
        EXPECT_NE(
            run.err.find("(" + engine.command + ") could not be started: it " + engine.message + "; the run stops"),
            std::string::npos)
            << run.err;
        EXPECT_EQ(run.out.find("Game 2"), std::string::npos) << run.out;
    }
}

TEST_F(Runner, AnEngineThatCrashesAtALaterStartStopsTheRun)
{
    // The first engine this script starts is steady, every later one crashes.
    std::ofstream(Path("engine.sh")) << "if [ -e " << Path("started") << " ]; then exec " << Engine("crash")
                                     << "; fi\ntouch " << Path("started") << "\nexec " << Engine("steady") << "\n";
    ProgramRun run =
        RunProgram({RUNNER, "--ends", "1", "--games", "3", Engine("steady"), "/bin/sh " + Path("engine.sh")}, 20s);
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_NE(run.err.find("could not be started: it exited with status 3 before answering ISREADY; the run stops"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("forfeits"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("Game 2"), std::string::npos) << run.out;
}

TEST_F(Runner, KillsWhatAnEngineStartedItself)
{
    std::ofstream(Path("engine.sh")) << "sleep 300 &\necho $! >> " << pidFile_ << "\nexec " << Engine("silent") << "\n";
    ProgramRun run =
        RunProgram({RUNNER, "--timeout", "1", "--ends", "1", Engine("steady"), "/bin/sh " + Path("engine.sh")}, 20s);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("did not answer GO"), std::string::npos) << run.err;
    EXPECT_EQ(ReadPids(pidFile_).size(), 3u);
    ExpectNoEngineLeft();
}

TEST_F(Runner, InterruptStopsEveryEngine)
{
    // The first two engines started are steady, the next ones silent.
    std::ofstream(Path("engine.sh")) << "if [ \"$(cat " << pidFile_ << " 2>/dev/null | wc -l)\" -ge 2 ]; then exec "
                                     << Engine("silent") << "; fi\nexec " << Engine("steady") << "\n";
    std::string engine = "/bin/sh " + Path("engine.sh");
    std::unique_ptr<ChildProcess> runner = StartProgram(
        {RUNNER, "--timeout", "300", "--ends", "1", "--games", "2", "--record", Path("kept.json"), engine, engine},
        Path("out"), Path("err"));
    // Game 1 is played by steady engines, game 2 by silent ones.
    for (int wait = 0; wait < 1000 && ReadPids(pidFile_).size() < 4; ++wait)
        std::this_thread::sleep_for(10ms);
    ASSERT_EQ(ReadPids(pidFile_).size(), 4u);
    std::this_thread::sleep_for(100ms);
    kill(runner->Pid(), SIGINT);
    bool timedOut = false;
    EXPECT_EQ(WaitProgram(*runner, 5s, timedOut), 130);
    EXPECT_FALSE(timedOut);
    ExpectNoEngineLeft();
    EXPECT_EQ(ReadRecordFile(Path("kept.json")).games.size(), 1u) << "the finished game is recorded";
}

TEST_F(Runner, RepliesSplitOverReadsOrEndedByALineFeedAreAccepted)
{
    ProgramRun run = RunProgram({RUNNER, "--ends", "1", Engine("split"), Engine("terminated")}, 30s);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("| Total"), std::string::npos);
    EXPECT_EQ(run.out.find("forfeit"), std::string::npos) << run.out;
    ExpectNoEngineLeft();
}

TEST_F(Runner, RepliesAreRecordedWithoutTheirLineFeeds)
{
    ProgramRun run = RunProgram(
        {RUNNER, "--ends", "1", "--record", Path("game.json"), Engine("terminated"), Engine("terminated")}, 30s);
    ASSERT_EQ(run.status, 0) << run.err;
    MatchRecord record = ReadRecordFile(Path("game.json"));
    ASSERT_EQ(record.games.size(), 1u);
    for (const ShotRecord &shot : record.games[0].ends[0].shots)
        EXPECT_EQ(shot.reply, "BESTSHOT 0.079850 -2.128900 0");
}

TEST_F(Runner, EngineErrorsArriveAsWholeLinesAfterTheGameAndEngineLabel)
{
    ProgramRun run = RunProgram({RUNNER, "--ends", "1", Engine("chatty"), Engine("chatty")}, 30s);
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.err);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count)
        EXPECT_TRUE(line.starts_with("[game 1 A scripted_engine] thinking about GO ") ||
                    line.starts_with("[game 1 B scripted_engine-2] thinking about GO "))
            << line;
    EXPECT_GE(count, 16) << "a line per GO";
}

TEST_F(Runner, CommandsReachAnEngineInReadsOfTheirOwn)
{
    ProgramRun run = RunProgram({RUNNER, "--ends", "2", "--timeout", "5", Engine("one-read"), Engine("one-read")}, 30s);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.find("forfeit"), std::string::npos) << run.out;
}

TEST_F(Runner, BadUsageExitsWithTwo)
{
    for (std::vector<std::string> arguments : {std::vector<std::string>{"--ends", "0"},
                                               {"--games", "x"},
                                               {"--frobnicate"},
                                               {"--shard", "3/2"},
                                               {"--sprt", "elo0=x"},
                                               {"--anchor", "nobody"},
                                               {"--resume"},
                                               {"--sprt", "elo0=0 elo1=5", "a", "b", "c"},
                                               {"--error", "-1"},
                                               {"--timeout", "0"},
                                               {"--replay", "r.json", "engine"},
                                               {"--record", "r.json", "--resume", "--overwrite"},
                                               {"a", " "},
                                               {"--timeout", "nan"},
                                               {"--seed", "-1"},
                                               {"--seed", "18446744073709551616"},
                                               {"--seed", "12x"}}) {
        arguments.insert(arguments.begin(), RUNNER);
        ProgramRun run = RunProgram(arguments, 10s);
        EXPECT_EQ(run.status, 2) << arguments[1];
        EXPECT_NE(run.err.find("pebble-match: "), std::string::npos) << run.err;
    }
    EXPECT_NE(RunProgram({RUNNER, "--games", "two"}, 10s).err.find("Value two is not a number"), std::string::npos);
    ProgramRun help = RunProgram({RUNNER, "--help"}, 10s);
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("sideFlag"), std::string::npos);
    EXPECT_NE(help.out.find("--replay"), std::string::npos);
    EXPECT_NE(help.out.find("READYOK"), std::string::npos);
}

TEST_F(Runner, AnUnwritableRecordIsRefusedBeforeAnyGameIsPlayed)
{
    ProgramRun run =
        RunProgram({RUNNER, "--record", Path("missing/record.json"), Engine("steady"), Engine("steady")}, 20s);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot write " + Path("missing/record.json") + ": No such file or directory"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.out, "") << "no game was played";
    EXPECT_TRUE(ReadPids(pidFile_).empty()) << "no engine was started";
}

TEST_F(Runner, ARecordReplaysIdenticallyAndATamperedOneDoesNot)
{
    ProgramRun run =
        RunProgram({RUNNER, "--ends", "2", "--record", Path("game.json"), Engine("steady"), Engine("steady")}, 30s);
    ASSERT_EQ(run.status, 0) << run.err;
    ProgramRun replay = RunProgram({RUNNER, "--replay", Path("game.json")}, 30s);
    EXPECT_EQ(replay.status, 0) << replay.out << replay.err;
    EXPECT_NE(replay.out.find("Replay of 32 shots in 1 games: every resting position is identical"), std::string::npos)
        << replay.out;

    std::vector<nlohmann::json> record = RecordLines(Path("game.json"));
    ASSERT_EQ(record.size(), 2u);
    EXPECT_EQ(record[0]["engines"][0]["command"], Engine("steady"));
    EXPECT_EQ(record[0]["error"].dump(), "0.145") << "the error as the user gave it";
    EXPECT_EQ(record[1]["ends"][0]["shots"].size(), 16u);
    auto &stone = record[1]["ends"][1]["shots"][15]["resting"][15];
    stone[0] = stone[0].get<double>() + 0.001;
    std::ofstream(Path("tampered.json")) << record[0].dump() << "\n" << record[1].dump() << "\n";
    ProgramRun tampered = RunProgram({RUNNER, "--replay", Path("tampered.json"), "--html", Path("tampered.html")}, 30s);
    EXPECT_EQ(tampered.status, 1);
    EXPECT_NE(tampered.out.find("game 1, end 2, shot 16: stone 16 rests at"), std::string::npos) << tampered.out;
    EXPECT_FALSE(std::filesystem::exists(Path("tampered.html"))) << "no page from a replay that differs";

    std::ofstream(Path("empty.jsonl")) << record[0].dump() << "\n";
    ProgramRun empty = RunProgram({RUNNER, "--replay", Path("empty.jsonl")}, 30s);
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.err.find("nothing to replay: " + Path("empty.jsonl") + " holds no finished game"),
              std::string::npos)
        << empty.err;

    std::ofstream(Path("garbled.json")) << "{ not json";
    ProgramRun garbled = RunProgram({RUNNER, "--replay", Path("garbled.json")}, 30s);
    EXPECT_EQ(garbled.status, 1);
    EXPECT_NE(garbled.err.find("cannot replay"), std::string::npos);
}

TEST_F(Runner, SameSeedSameGame)
{
    auto play = [&](const char *seed, const char *file) {
        ProgramRun run = RunProgram(
            {RUNNER, "--ends", "2", "--seed", seed, "--record", Path(file), Engine("steady"), Engine("steady")}, 30s);
        EXPECT_EQ(run.status, 0);
        return WithoutTimes(RecordLines(Path(file)).at(1).dump());
    };
    EXPECT_EQ(play("5", "a.json"), play("5", "b.json"));
    EXPECT_NE(play("5", "d.json"), play("6", "c.json"));
}

TEST_F(Runner, SeveralGamesAlternateTheHammerAndEndWithASummary)
{
    ProgramRun run = RunProgram(
        {RUNNER, "--games", "3", "--ends", "1", "--record", Path("games.json"), Engine("steady"), Engine("steady")},
        60s);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("game 1 of 3: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("game 3 of 3: "), std::string::npos);
    EXPECT_NE(run.out.find("after 3 games: "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Elo difference: "), std::string::npos);
    MatchRecord record = ReadRecordFile(Path("games.json"));
    ASSERT_EQ(record.games.size(), 3u);
    EXPECT_EQ(record.games[0].firstHammer, Side::B);
    EXPECT_EQ(record.games[1].firstHammer, Side::A);
    EXPECT_EQ(record.games[2].firstHammer, Side::B);
}

TEST_F(Runner, PicturesAreWellFormedForEveryEnd)
{
    ProgramRun run = RunProgram({RUNNER, "--ends", "2", "--svg", Path("svg"), Engine("steady"), Engine("steady")}, 30s);
    ASSERT_EQ(run.status, 0) << run.err;
    int files = 0;
    for (const auto &entry : std::filesystem::directory_iterator(Path("svg"))) {
        std::ifstream file(entry.path());
        std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ(ReadXml(text).error, "") << entry.path();
        ++files;
    }
    EXPECT_GE(files, 3);
    EXPECT_TRUE(std::filesystem::exists(Path("svg/game1-overview.svg")));
    EXPECT_TRUE(std::filesystem::exists(Path("svg/game1-end02.svg")));
}

// The rules of a finished game hold in its record: whole ends, points for at
// most one side, the hammer passed as scored, regular ends plus at most three
// extra ones, and a winner that matches the totals.
void ExpectLegalGame(const GameRecord &game, int regularEnds)
{
    ASSERT_FALSE(game.forfeit.has_value()) << game.forfeit->reason;
    ASSERT_GE(static_cast<int>(game.ends.size()), regularEnds);
    ASSERT_LE(static_cast<int>(game.ends.size()), regularEnds + 3);
    Side hammer = game.firstHammer;
    PerSide<int> totals{0, 0};
    for (const EndRecord &end : game.ends) {
        EXPECT_TRUE(end.complete);
        EXPECT_EQ(end.shots.size(), 16u);
        EXPECT_EQ(end.hammer, hammer);
        EXPECT_EQ(end.points[0] * end.points[1], 0);
        for (int side = 0; side < 2; ++side) {
            EXPECT_GE(end.points[static_cast<std::size_t>(side)], 0);
            EXPECT_LE(end.points[static_cast<std::size_t>(side)], 8);
            totals[static_cast<std::size_t>(side)] += end.points[static_cast<std::size_t>(side)];
        }
        if (end.points[static_cast<std::size_t>(Index(hammer))] > 0)
            hammer = Other(hammer);
        if (end.index >= regularEnds - 1 && &end != &game.ends.back()) {
            EXPECT_EQ(totals[0], totals[1]) << "a game goes on after its last end only when tied";
        }
    }
    EXPECT_EQ(game.totals, totals);
    std::optional<Side> leader;
    if (totals[0] != totals[1])
        leader = totals[0] > totals[1] ? Side::A : Side::B;
    EXPECT_EQ(game.winner, leader);
}

TEST_F(Runner, PebbleAgainstPebblePlaysALegalGameAndTheSameSeedRepeatsIt)
{
    std::string pebble = std::filesystem::path(RUNNER).parent_path() / "pebble";
    ASSERT_TRUE(std::filesystem::exists(pebble)) << "the runner's default engine is the pebble beside it";
    ProgramRun first = RunProgram({RUNNER, "--record", Path("first.json")}, 120s);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.err, "");
    EXPECT_NE(first.out.find("A pebble   |"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("B pebble-2 |"), std::string::npos) << first.out;
    MatchRecord record = ReadRecordFile(Path("first.json"));
    ASSERT_EQ(record.games.size(), 1u);
    ExpectLegalGame(record.games[0], 8);

    ProgramRun second = RunProgram({RUNNER, "--record", Path("second.json")}, 120s);
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(first.out, second.out);
    EXPECT_EQ(WithoutTimes(FileText(Path("first.json"))), WithoutTimes(FileText(Path("second.json"))));
}

TEST_F(Runner, ScriptedGamesAreLegal)
{
    ProgramRun run = RunProgram(
        {RUNNER, "--ends", "3", "--games", "2", "--record", Path("games.json"), Engine("steady"), Engine("split")},
        60s);
    ASSERT_EQ(run.status, 0) << run.err;
    for (const GameRecord &game : ReadRecordFile(Path("games.json")).games)
        ExpectLegalGame(game, 3);
}

}  // namespace
