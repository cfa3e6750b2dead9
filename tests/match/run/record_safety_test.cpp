#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "pausing_match.h"
#include "run_program.h"
#include "test_directory.h"
#include "without_times.h"

using namespace match::process;

namespace {

using namespace std::chrono_literals;

const std::string RUNNER = PEBBLE_MATCH_PATH;
const std::string ENGINE = SCRIPTED_ENGINE_PATH;

int LineCount(const std::string &path)
{
    std::string text = FileText(path);
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

void WriteText(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// The first count lines of a record, each with its line feed.
std::string FirstLines(const std::string &path, int count)
{
    std::string text = FileText(path);
    std::size_t end = 0;
    for (int k = 0; k < count; ++k)
        end = text.find('\n', end) + 1;
    return text.substr(0, end);
}

// The files of a folder and their contents.
std::map<std::string, std::string> FolderFiles(const std::string &folder)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        files[entry.path().filename().string()] = FileText(entry.path().string());
    return files;
}

// True while pid runs and has not ended as a zombie.
bool Running(pid_t pid)
{
    std::string status = FileText("/proc/" + std::to_string(pid) + "/stat");
    std::size_t name = status.rfind(')');
    return name != std::string::npos && status.size() > name + 2 && status[name + 2] != 'Z';
}

ino_t Inode(const std::string &path)
{
    struct stat status {};
    return stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

class RecordSafety : public TestDirectory {
protected:
    // Six one-end games of engines that pause inside their replies.
    std::vector<std::string> Slow(const std::string &record, std::vector<std::string> extra) const
    {
        return PausingMatch(Path(record), extra);
    }

    // Four two-end games that play at once.
    std::vector<std::string> Quick(const std::string &record, std::vector<std::string> extra) const
    {
        std::vector<std::string> arguments = {
            RUNNER, "--ends", "2", "--games", "4", "--record", Path(record), ENGINE + " steady", ENGINE + " weak"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return arguments;
    }
};

TEST_F(RecordSafety, ARecordThatHoldsAnythingIsWrittenOverOnlyWhenAskedTo)
{
    ASSERT_EQ(RunProgram(Quick("a.jsonl", {}), 60s).status, 0);
    const std::string games = FileText(Path("a.jsonl"));
    ASSERT_EQ(LineCount(Path("a.jsonl")), 5);

    ProgramRun again = RunProgram({RUNNER, "--games", "2", "--record", Path("a.jsonl"), ENGINE, ENGINE}, 30s);
    EXPECT_EQ(again.status, 2);
    for (const std::string &named : {Path("a.jsonl"), std::string("--resume"), std::string("--overwrite")})
        EXPECT_NE(again.err.find(named), std::string::npos) << again.err;
    EXPECT_EQ(again.out, "") << "no game was played";
    EXPECT_EQ(FileText(Path("a.jsonl")), games);

    WriteText(Path("torn.jsonl"), "{\"format\": \"pebble-");
    EXPECT_EQ(RunProgram({RUNNER, "--record", Path("torn.jsonl"), ENGINE, ENGINE}, 30s).status, 2);

    WriteText(Path("empty.jsonl"), "");
    EXPECT_EQ(RunProgram({RUNNER, "--record", Path("empty.jsonl"), ENGINE, ENGINE}, 30s).status, 0);

    ProgramRun overwrite =
        RunProgram({RUNNER, "--games", "2", "--record", Path("a.jsonl"), "--overwrite", ENGINE, ENGINE}, 30s);
    EXPECT_EQ(overwrite.status, 0) << overwrite.err;
    EXPECT_EQ(LineCount(Path("a.jsonl")), 3);
}

TEST_F(RecordSafety, ASecondRunOnARecordInUseStopsAtOnceAndAKilledRunLeavesItFree)
{
    ASSERT_EQ(RunProgram(Slow("whole.jsonl", {}), 120s).status, 0);

    std::unique_ptr<ChildProcess> first = StartProgram(Slow("shared.jsonl", {"--resume"}), Path("out"), Path("err"));
    for (int wait = 0; wait < 3000 && LineCount(Path("shared.jsonl")) < 2; ++wait)
        std::this_thread::sleep_for(10ms);
    ASSERT_GE(LineCount(Path("shared.jsonl")), 2) << FileText(Path("err"));
    for (const std::vector<std::string> &second :
         {Slow("shared.jsonl", {"--resume"}), Slow("shared.jsonl", {"--overwrite"})}) {
        ProgramRun refused = RunProgram(second, 30s);
        EXPECT_EQ(refused.status, 1);
        EXPECT_LT(refused.seconds, 5.0) << "it does not wait for the lock";
        EXPECT_NE(refused.err.find(Path("shared.jsonl") + " is in use by another run (process " +
                                   std::to_string(first->Pid()) + ")"),
                  std::string::npos)
            << refused.err;
        EXPECT_EQ(refused.out, "") << "no game was played";
    }
    EXPECT_LT(LineCount(Path("shared.jsonl")), 7) << "killed before the end";
    kill(first->Pid(), SIGKILL);
    bool timedOut = false;
    EXPECT_EQ(WaitProgram(*first, 10s, timedOut), 128 + SIGKILL);

    ProgramRun resumed = RunProgram(Slow("shared.jsonl", {"--resume", "--concurrency", "2"}), 120s);
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(WithoutTimes(FileText(Path("shared.jsonl"))), WithoutTimes(FileText(Path("whole.jsonl"))));
}

// A run ends by renaming a sorted copy over its record: the name must stay
// locked until the run is over. The run is stopped just after the rename,
// while it draws the games it resumed.
TEST_F(RecordSafety, TheLockCoversTheRecordRewrittenAtTheEnd)
{
    std::vector<std::string> match = {RUNNER, "--games", "6", "--record", Path("a.jsonl"), ENGINE, ENGINE};
    ASSERT_EQ(RunProgram(match, 60s).status, 0);
    match.insert(match.end(), {"--resume", "--html", Path("a.html")});
    int caught = 0;
    for (int attempt = 0; attempt < 5 && caught == 0; ++attempt) {
        ino_t before = Inode(Path("a.jsonl"));
        std::unique_ptr<ChildProcess> run = StartProgram(match, Path("out"), Path("err"));
        while (Inode(Path("a.jsonl")) == before && Running(run->Pid()))
            std::this_thread::yield();
        kill(run->Pid(), SIGSTOP);
        if (Running(run->Pid())) {
            ++caught;
            ProgramRun second = RunProgram({RUNNER, "--summary", Path("a.jsonl")}, 30s);
            EXPECT_EQ(second.status, 0) << "the rewritten record is whole: " << second.err;
            ProgramRun refused = RunProgram(match, 30s);
            EXPECT_EQ(refused.status, 1);
            EXPECT_NE(refused.err.find("is in use by another run (process " + std::to_string(run->Pid()) + ")"),
                      std::string::npos)
                << refused.err;
        }
        kill(run->Pid(), SIGCONT);
        bool timedOut = false;
        EXPECT_EQ(WaitProgram(*run, 60s, timedOut), 0) << FileText(Path("err"));
    }
    EXPECT_EQ(caught, 1) << "the run was never caught between its rename and its end";
}

TEST_F(RecordSafety, ResumeRefusesARecordHoldingAGameTwiceAsTheSummaryDoes)
{
    ASSERT_EQ(RunProgram(Quick("whole.jsonl", {}), 60s).status, 0);
    const std::string secondGame = FirstLines(Path("whole.jsonl"), 3).substr(FirstLines(Path("whole.jsonl"), 2).size());
    const std::string twice = FirstLines(Path("whole.jsonl"), 3) + secondGame;
    WriteText(Path("twice.jsonl"), twice);

    ProgramRun resumed = RunProgram(Quick("twice.jsonl", {"--resume"}), 30s);
    EXPECT_EQ(resumed.status, 1);
    EXPECT_NE(resumed.err.find("cannot resume " + Path("twice.jsonl") + ": game 2 appears twice"), std::string::npos)
        << resumed.err;
    EXPECT_EQ(resumed.out, "");
    EXPECT_EQ(FileText(Path("twice.jsonl")), twice);

    ProgramRun summary = RunProgram({RUNNER, "--summary", Path("twice.jsonl")}, 30s);
    EXPECT_EQ(summary.status, 1);
    EXPECT_NE(summary.err.find("game 2 appears twice"), std::string::npos) << summary.err;
}

TEST_F(RecordSafety, ResumeComparesTheSprtTestByItsValues)
{
    ASSERT_EQ(RunProgram(Quick("whole.jsonl", {"--sprt", "elo0=0 elo1=50"}), 60s).status, 0);
    WriteText(Path("part.jsonl"), FirstLines(Path("whole.jsonl"), 2));

    ProgramRun other = RunProgram(Quick("part.jsonl", {"--resume", "--sprt", "elo0=0 elo1=50 beta=0.1"}), 30s);
    EXPECT_EQ(other.status, 1);
    EXPECT_NE(other.err.find("sprt is \"elo0=0 elo1=50\" there, \"elo0=0 elo1=50 beta=0.1\" here"), std::string::npos)
        << other.err;

    ProgramRun same = RunProgram(Quick("part.jsonl", {"--resume", "--sprt", " elo1=50.0  alpha=0.05 elo0=0"}), 60s);
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_EQ(WithoutTimes(FileText(Path("part.jsonl"))), WithoutTimes(FileText(Path("whole.jsonl"))))
        << "the header keeps its text";
}

TEST_F(RecordSafety, ARecordCutInsideItsHeaderResumesFromTheOptions)
{
    ASSERT_EQ(RunProgram(Quick("whole.jsonl", {}), 60s).status, 0);
    const std::string header = FirstLines(Path("whole.jsonl"), 1);
    for (std::size_t cut : {std::size_t{1}, header.size() / 2, header.size() - 1}) {
        WriteText(Path("cut.jsonl"), header.substr(0, cut));
        ProgramRun resumed = RunProgram(Quick("cut.jsonl", {"--resume"}), 60s);
        EXPECT_EQ(resumed.status, 0) << cut << " bytes: " << resumed.err;
        EXPECT_EQ(WithoutTimes(FileText(Path("cut.jsonl"))), WithoutTimes(FileText(Path("whole.jsonl"))))
            << cut << " bytes";
    }

    // The start of another match's header is no record of this one.
    const std::string other = header.substr(0, header.find("\"timeout\""));
    WriteText(Path("other.jsonl"), other);
    ProgramRun refused = RunProgram(Quick("other.jsonl", {"--resume", "--seed", "12"}), 30s);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("holds no header line"), std::string::npos) << refused.err;
    EXPECT_EQ(FileText(Path("other.jsonl")), other);
}

TEST_F(RecordSafety, AfterAResumeThePicturesAndThePageCoverTheWholeMatch)
{
    ASSERT_EQ(RunProgram(Quick("whole.jsonl", {"--svg", Path("whole"), "--html", Path("whole.html")}), 60s).status, 0);
    WriteText(Path("part.jsonl"), FirstLines(Path("whole.jsonl"), 3));
    ProgramRun resumed =
        RunProgram(Quick("part.jsonl", {"--resume", "--svg", Path("part"), "--html", Path("part.html")}), 60s);
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(resumed.out.find("Game 2\n"), std::string::npos) << "recorded games are not played again";
    EXPECT_EQ(FolderFiles(Path("part")), FolderFiles(Path("whole")));
    EXPECT_EQ(WithoutTimes(FileText(Path("part.html"))), WithoutTimes(FileText(Path("whole.html"))));

    ProgramRun replay = RunProgram({RUNNER, "--replay", Path("whole.jsonl"), "--svg", Path("replayed")}, 60s);
    ASSERT_EQ(replay.status, 0) << replay.err;
    EXPECT_NE(replay.out.find("Pictures: " + Path("replayed") + "/"), std::string::npos) << replay.out;
    EXPECT_EQ(FolderFiles(Path("replayed")), FolderFiles(Path("whole")));
}

}  // namespace
