// The pieces the benchmarks and the signature rely on: positions reach the
// engine bit for bit, and child processes start, answer and report their status.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "bench_processes.h"
#include "fixed_positions.h"
#include "game_state.h"
#include "protocol.h"

using namespace bench;

namespace {

// Feeds each line to the engine's command handler, as its loop would.
void HandleLines(const std::string &text)
{
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        HandleCommand(line.data());
        start = end == std::string::npos ? text.size() : end + 1;
    }
}

TEST(PositionCommands, ReachTheEngineBitForBit)
{
    GameState sent = CrowdedHouse(14);
    sent.stones[15][0] = 0.1f;         // no short decimal
    sent.stones[15][1] = 33.2269974f;  // just below the release
    sent.currentEnd = 3;
    sent.sideFlag = 1;
    gameState = GameState{};
    HandleLines(PositionCommands(sent));
    EXPECT_EQ(std::memcmp(gameState.stones, sent.stones, sizeof sent.stones), 0);
    EXPECT_EQ(gameState.shotIndex, 14);
    EXPECT_EQ(gameState.currentEnd, 3);
    EXPECT_EQ(gameState.lastEnd, 7);
    EXPECT_EQ(gameState.sideFlag, 1);
}

TEST(EnginePipe, TalksToTheEngine)
{
    EnginePipe engine(PEBBLE_EXECUTABLE);
    ASSERT_TRUE(engine.Running());
    ASSERT_TRUE(engine.Send("ISREADY\n"));
    EXPECT_EQ(engine.Reply(), "READYOK");
    ASSERT_TRUE(engine.Send(PositionCommands(CrowdedHouse(4)) + "GO\n"));
    EXPECT_EQ(engine.Reply().rfind("BESTSHOT ", 0), 0u);
}

TEST(EnginePipe, ReportsAMissingExecutable)
{
    EnginePipe engine("/nonexistent/pebble");
    EXPECT_FALSE(engine.Running());
}

TEST(RunQuietly, GivesTheExitStatus)
{
    EXPECT_EQ(RunQuietly({"/bin/sh", "-c", "echo discarded; exit 0"}), 0);
    EXPECT_EQ(RunQuietly({"/bin/sh", "-c", "exit 3"}), 3);
    EXPECT_EQ(RunQuietly({"/bin/sh", "-c", "kill -9 $$"}), -1);
    EXPECT_EQ(RunQuietly({"/nonexistent/program"}), -1);
}

}  // namespace
