// granite's search in several threads, through its own process.
#include <gtest/gtest.h>

#include <string>

#include "engine_process.h"

namespace {

std::string Answers(const std::string &threads)
{
    // Shot 4 of an end with three stones in and around the house, then the
    // last stone of the last end with the hammer, 1 down.
    const std::string input = "POSITION 2.3 4.9 2.4 4.6 2.0 5.5\nSETSTATE 4 0 7 0\nGO\n"
                              "SETSTATE 15 7 7 1\nSCORE 3 4\nGO\n";
    const EngineRun run =
        RunEngine(GRANITE_EXECUTABLE, nullptr, input, {"--nodes", "1500", "--seed", "3", "--threads", threads});
    EXPECT_EQ(run.status, 0) << run.errors;
    return run.output;
}

// Within a budget of throws the answer depends on the position and the seed
// alone, however many threads throw.
TEST(ConcurrentGranite, TwoThreadsAnswerAsOneWithinANodeBudget)
{
    const std::string oneThread = Answers("1");
    ASSERT_EQ(oneThread.rfind("BESTSHOT ", 0), 0u) << oneThread;
    ASSERT_NE(oneThread.find("BESTSHOT ", 1), std::string::npos) << oneThread;
    EXPECT_EQ(Answers("2"), oneThread);
}

}  // namespace
