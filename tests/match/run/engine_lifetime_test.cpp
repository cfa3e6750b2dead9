// What becomes of a match's processes when the runner is stopped by a signal,
// and of a run whose engine cannot be started at a later game.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "run_program.h"
#include "test_directory.h"
#include "without_times.h"

using namespace match::process;

namespace {

using namespace std::chrono_literals;

const std::string RUNNER = PEBBLE_MATCH_PATH;
const std::string ENGINE = SCRIPTED_ENGINE_PATH;

// The processes whose parent is pid.
std::vector<pid_t> ChildrenOf(pid_t pid)
{
    std::vector<pid_t> children;
    for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
        std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream file(entry.path() / "stat");
        std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::size_t end = stat.rfind(')');
        if (end == std::string::npos)
            continue;
        std::istringstream fields(stat.substr(end + 2));
        char state = 0;
        pid_t parent = 0;
        if (fields >> state >> parent && parent == pid)
            children.push_back(std::stoi(name));
    }
    return children;
}

std::size_t LineCount(const std::string &path)
{
    std::string text = FileText(path);
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

class EngineLifetime : public TestDirectory {
protected:
    void SetUp() override
    {
        TestDirectory::SetUp();
        pidFile_ = Path("pids");
    }

    std::string Engine(const std::string &mode) const { return ENGINE + " " + mode + " " + pidFile_; }

    // An executable script that runs as the engine, made from the shell lines.
    std::string Script(const std::string &name, const std::string &lines) const
    {
        std::ofstream(Path(name)) << "#!/bin/sh\n" << lines;
        std::filesystem::permissions(Path(name), std::filesystem::perms::owner_all);
        return Path(name);
    }

    std::string pidFile_;
};

class RunnerSignal : public EngineLifetime, public testing::WithParamInterface<int> {};

// Four engines at work, each with a child of its own; the signal arrives; then
// the restored engines finish the run from its record.
TEST_P(RunnerSignal, LeavesNoProcessOfTheMatchAndAResumableRecord)
{
    const std::string engine = Script("engine.sh", "if [ -e " + Path("restored") + " ]; then exec " + ENGINE +
                                                       " steady; fi\nexec " + Engine("spawn") + "\n");
    const std::vector<std::string> arguments = {
        RUNNER,     "--timeout",          "300",  "--ends", "1", "--games", "2", "--concurrency", "2",
        "--record", Path("record.jsonl"), engine, engine};
    std::unique_ptr<ChildProcess> runner = StartProgram(arguments, Path("out"), Path("err"));
    for (int wait = 0; wait < 1000 && LineCount(pidFile_) < 8; ++wait)
        std::this_thread::sleep_for(10ms);
    ASSERT_EQ(LineCount(pidFile_), 8u) << "four engines and their children";
    std::vector<pid_t> match = ReadPids(pidFile_);
    std::vector<pid_t> children = ChildrenOf(runner->Pid());
    EXPECT_EQ(children.size(), 5u) << "four engines and the guardian";
    match.insert(match.end(), children.begin(), children.end());

    kill(runner->Pid(), GetParam());
    bool timedOut = false;
    EXPECT_EQ(WaitProgram(*runner, 10s, timedOut), GetParam() == SIGKILL ? 128 + SIGKILL : 130)
        << FileText(Path("err"));
    EXPECT_FALSE(timedOut);
    EXPECT_TRUE(AllEndWithin(match, 5s));
    for (pid_t pid : match) {
        EXPECT_TRUE(ProcessEnded(pid)) << "process " << pid << " is left";
        if (!ProcessEnded(pid))
            kill(pid, SIGKILL);
    }

    std::ofstream(Path("restored")).flush();
    std::vector<std::string> resume = arguments;
    resume.push_back("--resume");
    ProgramRun resumed = RunProgram(resume, 60s);
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(LineCount(Path("record.jsonl")), 3u) << "the header and both games";
}

INSTANTIATE_TEST_SUITE_P(Signals, RunnerSignal, testing::Values(SIGKILL, SIGTERM, SIGHUP, SIGINT),
                         [](const testing::TestParamInfo<int> &param) {
                             return std::string(sigabbrev_np(param.param));
                         });

// Two games at once. The script's first engine is slow (mkdir is atomic, where
// two starts at once could count alike); its third start makes it no longer
// executable, so the fourth cannot start while the slow game is in flight.
TEST_F(EngineLifetime, AStartFailureAtALaterGameStopsTheRunAndResumeCompletesIt)
{
    const std::string engine = Script(
        "engine.sh", "if [ ! -e " + Path("restored") + " ]; then\n  mkdir " + Path("first") + " 2>/dev/null && exec " +
                         Engine("slow") + "\n  echo >> " + Path("starts") + "\n  [ $(wc -l < " + Path("starts") +
                         ") -eq 2 ] && chmod -x \"$0\"\nfi\nexec " + Engine("steady") + "\n");
    auto arguments = [&](const std::string &record, const char *concurrency) {
        return std::vector<std::string>{RUNNER,      "--ends",   "1",    "--games",        "4",   "--concurrency",
                                        concurrency, "--record", record, Engine("steady"), engine};
    };
    ProgramRun stopped = RunProgram(arguments(Path("record.jsonl"), "2"), 60s);
    EXPECT_EQ(stopped.status, 3) << stopped.err;
    EXPECT_NE(stopped.err.find("engine engine.sh (" + engine +
                               ") could not be started: it exited with status 126 (command not executable) "
                               "before answering ISREADY; the run stops"),
              std::string::npos)
        << stopped.err;
    EXPECT_EQ(stopped.err.find("forfeits"), std::string::npos) << stopped.err;
    EXPECT_EQ(LineCount(Path("record.jsonl")), 3u) << "the two finished games only, not the slow one in flight";
    for (pid_t pid : ReadPids(pidFile_))
        EXPECT_TRUE(ProcessEnded(pid)) << "process " << pid << " is left";

    std::filesystem::permissions(engine, std::filesystem::perms::owner_all);
    std::ofstream(Path("restored")).flush();
    std::vector<std::string> resume = arguments(Path("record.jsonl"), "1");
    resume.push_back("--resume");
    ProgramRun resumed = RunProgram(resume, 60s);
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    ProgramRun whole = RunProgram(arguments(Path("whole.jsonl"), "1"), 60s);
    EXPECT_EQ(whole.status, 0) << whole.err;
    EXPECT_EQ(WithoutTimes(FileText(Path("record.jsonl"))), WithoutTimes(FileText(Path("whole.jsonl"))));
}

}  // namespace
