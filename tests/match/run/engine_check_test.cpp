#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>

#include "run_program.h"

namespace {

using namespace std::chrono_literals;

const std::string RUNNER = PEBBLE_MATCH_PATH;
const std::string ENGINE = SCRIPTED_ENGINE_PATH;
const std::string PEBBLE = PEBBLE_PATH;
const std::string GRANITE = GRANITE_PATH;
constexpr std::size_t CHECKS = 13;

struct CheckOutput {
    std::set<std::string> passed;
    std::set<std::string> failed;
    std::vector<std::string> failures;  // the FAIL lines
    std::string tally;                  // the last line
};

// The check names of the ok and FAIL lines, between the first line and the tally.
CheckOutput ReadCheckOutput(const std::string &out)
{
    CheckOutput output;
    std::istringstream lines(out);
    std::string line;
    std::getline(lines, line);
    EXPECT_TRUE(line.starts_with("Checking ")) << line;
    while (std::getline(lines, line)) {
        std::size_t colon = line.find(": ");
        if (line.starts_with("ok ") && colon != std::string::npos) {
            output.passed.insert(line.substr(3, colon - 3));
        } else if (line.starts_with("FAIL ") && colon != std::string::npos) {
            output.failed.insert(line.substr(5, colon - 5));
            output.failures.push_back(line);
        } else {
            output.tally = line;
            EXPECT_FALSE(std::getline(lines, line)) << "the tally is the last line";
        }
    }
    return output;
}

ProgramRun Check(const std::string &engine, const char *timeout = "1")
{
    return RunProgram({RUNNER, "--check", engine, "--timeout", timeout}, 120s);
}

TEST(EngineCheck, OurEnginesPass)
{
    for (const std::string &engine : {PEBBLE, GRANITE + " --nodes 2000", ENGINE + " steady"}) {
        ProgramRun run = Check(engine, "60");
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        CheckOutput output = ReadCheckOutput(run.out);
        EXPECT_EQ(output.passed.size(), CHECKS) << run.out;
        EXPECT_EQ(output.tally, "all 13 checks passed");
        EXPECT_NE(run.out.find("ok line breaks: READYOK and BESTSHOT end with nothing"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("% of the 60 s timeout"), std::string::npos) << run.out;
    }
}

TEST(EngineCheck, SaysWhichLineBreakTheRepliesEndWith)
{
    ProgramRun run = Check(ENGINE + " terminated");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("ok line breaks: READYOK ends with nothing, BESTSHOT with a line feed"), std::string::npos)
        << run.out;
}

TEST(EngineCheck, ReportsTheSlowestGoAgainstTheTimeout)
{
    ProgramRun run = Check(ENGINE + " slow", "2");
    EXPECT_EQ(run.status, 0) << run.out;
    const std::string lead = "ok time: the slowest GO took ";
    std::size_t at = run.out.find(lead);
    ASSERT_NE(at, std::string::npos) << run.out;
    double seconds = 0.0;
    double percent = 0.0;
    ASSERT_EQ(std::sscanf(run.out.c_str() + at + lead.size(), "%lf s (%*[^)]), %lf %%", &seconds, &percent), 2)
        << run.out;
    EXPECT_GE(seconds, 0.3);
    EXPECT_LT(seconds, 2.0);
    EXPECT_NEAR(percent, seconds / 2.0 * 100.0, 0.1);
    EXPECT_NE(run.out.find("% of the 2 s timeout"), std::string::npos) << run.out;
}

struct Misbehaviour {
    const char *mode;
    std::set<std::string> failed;  // the checks that fail
    const char *message;           // in the first FAIL line
};

// Names the case in test listings.
void PrintTo(const Misbehaviour &engine, std::ostream *out)
{
    *out << engine.mode;
}

class MisbehavingEngine : public testing::TestWithParam<Misbehaviour> {};

TEST_P(MisbehavingEngine, FailsTheRightChecksSayingWhatToDoInstead)
{
    const Misbehaviour &engine = GetParam();
    // Each GO the silent engine leaves unanswered costs the timeout.
    ProgramRun run = Check(ENGINE + " " + engine.mode, engine.mode == std::string("silent") ? "0.3" : "1");
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.status, 1) << run.out;
    CheckOutput output = ReadCheckOutput(run.out);
    EXPECT_EQ(output.failed, engine.failed) << run.out;
    ASSERT_FALSE(output.failures.empty());
    EXPECT_NE(output.failures.front().find(engine.message), std::string::npos) << output.failures.front();
    if (!engine.failed.contains("handshake")) {
        EXPECT_EQ(output.passed.size() + output.failed.size(), CHECKS);
    }
    EXPECT_EQ(output.tally, std::to_string(engine.failed.size()) + " of 13 checks failed" +
                                (engine.failed.contains("handshake") ? ", 12 not run without a handshake" : ""));
}

const std::set<std::string> POSITIONS = {"opening",    "unknown lines",       "stones in the house",
                                         "odd places", "last shot of an end", "crowded sheet",
                                         "extra ends"};

std::set<std::string> PositionsAnd(std::initializer_list<std::string> more)
{
    std::set<std::string> checks = POSITIONS;
    checks.insert(more);
    return checks;
}

INSTANTIATE_TEST_SUITE_P(
    Modes, MisbehavingEngine,
    testing::Values(
        Misbehaviour{"crash",
                     {"handshake"},
                     "FAIL handshake: exited with status 3 before answering ISREADY: make sure the command runs"},
        Misbehaviour{"mute",
                     {"handshake"},
                     "FAIL handshake: did not answer ISREADY within 1 s: answer ISREADY with READYOK as soon as"},
        Misbehaviour{"garbage", PositionsAnd({"BESTSHOT"}),
                     "FAIL opening: answered \"HELLO THERE\", not a BESTSHOT reply on shot 1 of end 1: answer GO "
                     "with BESTSHOT vx vy spin and write nothing else on standard output"},
        Misbehaviour{"nonfinite", PositionsAnd({"BESTSHOT"}),
                     "\"nan\" is not a finite number on shot 1 of end 1: write vx and vy as finite decimal numbers"},
        Misbehaviour{"bad-spin", PositionsAnd({"BESTSHOT"}),
                     "spin \"2\" is neither 0 nor 1 on shot 1 of end 1: write the spin as one digit, 0 or 1"},
        Misbehaviour{"partial", PositionsAnd({"BESTSHOT", "line breaks"}),
                     "the line ends before the spin on shot 1 of end 1: write the whole reply on one line"},
        Misbehaviour{"trailing", PositionsAnd({"BESTSHOT", "line breaks"}),
                     "\"thinking\" follows the reply on its line on shot 1 of end 1: end the line after the reply"},
        Misbehaviour{"silent", PositionsAnd({"BESTSHOT", "time"}),
                     "FAIL opening: did not answer GO within 0.3 s on shot 1 of end 1: answer every GO within the "
                     "timeout"},
        Misbehaviour{"quit-mid",
                     {"odd places", "extra ends", "stays alive"},
                     "FAIL odd places: exited with status 0 on shot 9 of end 6: keep reading commands"},
        Misbehaviour{"complains",
                     {"unknown lines"},
                     "FAIL unknown lines: answered \"ERROR unknown command\", not a BESTSHOT reply on shot 3 of end "
                     "2: write nothing in answer to a line you do not know, such as \"XYZZY 1 2 3\"; ignore it"},
        Misbehaviour{"regular-only",
                     {"extra ends", "stays alive"},
                     "FAIL extra ends: exited with status 0 before GO on shot 1 of end 9"},
        Misbehaviour{"stays",
                     {"quits"},
                     "FAIL quits: still running 1 s after its input closed: exit with status 0 as soon as a read of "
                     "standard input finds its end"}),
    [](const testing::TestParamInfo<Misbehaviour> &param) {
        std::string name = param.param.mode;
        std::erase(name, '-');
        return name;
    });

TEST(EngineCheck, RefusesWhatItCannotCheck)
{
    for (std::vector<std::string> arguments : {std::vector<std::string>{"--check", ""},
                                               {"--check", PEBBLE, PEBBLE},
                                               {"--check", PEBBLE, "--games", "2"},
                                               {"--check", PEBBLE, "--record", "/tmp/never-written"}}) {
        arguments.insert(arguments.begin(), RUNNER);
        ProgramRun run = RunProgram(arguments, 10s);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST(RunnerVersion, PrintsTheProjectVersion)
{
    ProgramRun run = RunProgram({RUNNER, "--version"}, 10s);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::string("pebble-match ") + PEBBLE_VERSION + "\n");
}

}  // namespace
