// The state an engine process starts with, seen through the protocol alone, so
// that nothing run before in the test process can touch it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine_process.h"

namespace {

std::string Replies(const std::string &input)
{
    const std::string libraryFolder = std::filesystem::path(TESSIVAL_LIBRARY).parent_path().string();
    const EngineRun run = RunEngine(PEBBLE_EXECUTABLE, libraryFolder.c_str(), input);
    EXPECT_EQ(run.status, 0) << run.errors;
    return run.output;
}

// Before any NEWGAME the engine holds what NEWGAME sets, all zeros: the fields
// a short SETSTATE or POSITION leaves alone, and the stones a GO plays around,
// come from the start-up state.
TEST(FreshEngine, PlaysAsAfterNewGame)
{
    for (const std::string commands : {"GO\n", "SETSTATE 15 7 7 1\nGO\n", "POSITION 2.375 4.88\nSETSTATE 4\nGO\n"}) {
        SCOPED_TRACE(commands);
        const std::string fresh = Replies(commands);
        EXPECT_EQ(fresh.rfind("BESTSHOT ", 0), 0u) << fresh;
        EXPECT_EQ(fresh, Replies("NEWGAME\n" + commands));
    }
}

}  // namespace
