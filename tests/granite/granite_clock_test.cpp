// granite on a game clock, as a child process: TIME sets its think time unless
// --think or --nodes fixes its effort.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "engine_process.h"

namespace {

// The last stone of the last end with 8 s left: the time manager's biggest
// share, about a second, against 150 ms by default and 60 ms with --think 60.
const std::string LAST_STONE = "NEWGAME\nPOSITION 2.3 4.9 2.6 5.3\nSETSTATE 15 7 7 1\nSCORE 3 3\n";
const std::string CLOCK = "TIME 8000 9000\n";

double SecondsToAnswer(const std::string &input, const std::vector<std::string> &arguments)
{
    const auto start = std::chrono::steady_clock::now();
    const EngineRun run = RunEngine(GRANITE_EXECUTABLE, nullptr, input, arguments);
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.output.rfind("BESTSHOT ", 0), 0u) << run.output;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(GraniteClock, TimeSetsTheThinkTimeWithinTheClock)
{
    const double onTheClock = SecondsToAnswer(LAST_STONE + CLOCK + "GO\n", {});
    EXPECT_GT(onTheClock, 0.6);
    EXPECT_LT(onTheClock, 8.0 / 4.0 + 1.0) << "a quarter of the clock at most, with room for a loaded machine";
    EXPECT_LT(SecondsToAnswer(LAST_STONE + CLOCK + "GO\n", {"--think", "60"}), 0.6);
}

TEST(GraniteClock, NodesPlayTheSameWithAClock)
{
    const std::vector<std::string> nodes = {"--nodes", "300", "--seed", "7"};
    const std::string game = "NEWGAME\nPOSITION 2.3 4.9\nSETSTATE 1 0 7 1\nSCORE 0 0\n";
    const EngineRun plain = RunEngine(GRANITE_EXECUTABLE, nullptr, game + "GO\n" + LAST_STONE + "GO\n", nodes);
    const EngineRun timed =
        RunEngine(GRANITE_EXECUTABLE, nullptr, game + "TIME 20 20\nGO\n" + LAST_STONE + CLOCK + "GO\n", nodes);
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(timed.output, plain.output);
}

}  // namespace
