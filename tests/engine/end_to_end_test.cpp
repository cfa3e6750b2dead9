#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <string>

#include "crowded_house.h"
#include "engine_process.h"

namespace {

// The engine with the real physics library beside it.
class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(TESSIVAL_LIBRARY)) {
            GTEST_SKIP() << "the physics library " << TESSIVAL_LIBRARY << " is not built";
        }
        library_ = dlopen(TESSIVAL_LIBRARY, RTLD_NOW);
        ASSERT_NE(library_, nullptr) << dlerror();
        simulation_ = reinterpret_cast<SimulationFunction>(dlsym(library_, "Simulation"));
        ASSERT_NE(simulation_, nullptr);
    }
    void TearDown() override
    {
        if (library_ != nullptr) {
            dlclose(library_);
        }
    }

    // Named explicitly: under AddressSanitizer dlopen runs from the runtime
    // library, whose search path does not hold the executable's RUNPATH.
    static std::string LibraryFolder() { return std::filesystem::path(TESSIVAL_LIBRARY).parent_path().string(); }

    static std::string PositionCommand(const GameState &state)
    {
        std::string command = "POSITION";
        char number[32];
        for (const auto &stone : state.stones) {
            for (float coordinate : stone) {
                std::snprintf(number, sizeof number, " %.6f", static_cast<double>(coordinate));
                command += number;
            }
        }
        return command + "\n";
    }

    // Plays GO on state and checks that the reply is one legal shot: the
    // library accepts it and plays it.
    void ExpectLegalShot(GameState state)
    {
        const std::string input =
            "NEWGAME\n" + PositionCommand(state) + "SETSTATE " + std::to_string(state.shotIndex) + " 1 8 0\nGO\n";
        const EngineRun run = RunEngine(PEBBLE_EXECUTABLE, LibraryFolder().c_str(), input);
        ASSERT_EQ(run.status, 0) << run.errors;
        float vx = 0.0f;
        float vy = 0.0f;
        int spin = -1;
        int consumed = 0;
        ASSERT_EQ(std::sscanf(run.output.c_str(), "BESTSHOT %f %f %d%n", &vx, &vy, &spin, &consumed), 3) << run.output;
        EXPECT_EQ(static_cast<size_t>(consumed), run.output.size()) << "one reply only";
        EXPECT_TRUE(std::isfinite(vx) && std::isfinite(vy)) << run.output;
        EXPECT_TRUE(spin == 0 || spin == 1) << run.output;
        ShotVector shot = {vx, vy, static_cast<uint8_t>(spin)};
        EXPECT_EQ(simulation_(&state, shot, 0.145f, 0, -1), 1) << run.output;
    }

    // The commands a manager sends for the shot of state, as pebble-match does.
    static std::string ShotCommands(const GameState &state)
    {
        return PositionCommand(state) + "SETSTATE " + std::to_string(state.shotIndex) + " 0 7 " +
               std::to_string(state.shotIndex % 2) + "\nGO\n";
    }

    void *library_ = nullptr;
    SimulationFunction simulation_ = nullptr;
};

TEST_F(EndToEnd, FindsTheLibraryBesideItself)
{
    const EngineRun run = RunEngine(PEBBLE_EXECUTABLE, nullptr, "ISREADY\n");
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.output, "READYOK");
}

TEST_F(EndToEnd, FirstShotOfTheEnd)
{
    GameState state = {};
    ExpectLegalShot(state);
}

TEST_F(EndToEnd, MidEndShot)
{
    GameState state = {};
    PlaceCrowdedHouse(state);
    for (int stone = 8; stone < 16; ++stone) {
        state.stones[stone][0] = 0.0f;
        state.stones[stone][1] = 0.0f;
    }
    state.shotIndex = 8;
    ExpectLegalShot(state);
}

TEST_F(EndToEnd, LastStoneOnACrowdedHouse)
{
    GameState state = {};
    PlaceCrowdedHouse(state);
    state.shotIndex = 15;
    ExpectLegalShot(state);
}

TEST_F(EndToEnd, EveryShotOfAnEndFromTheOddSide)
{
    GameState state = {};
    PlaceCrowdedHouse(state);
    for (int shotIndex : {1, 7, 13}) {
        state.shotIndex = shotIndex;
        ExpectLegalShot(state);
    }
}

TEST_F(EndToEnd, AnEndFedFromAFileGetsTheRepliesOfTheConversation)
{
    // An end played command by command, as a manager drives an engine...
    EngineProcess conversation(PEBBLE_EXECUTABLE, LibraryFolder().c_str());
    std::string commands = "NEWGAME\n";
    conversation.Write(commands);
    GameState state = {};
    for (uint32_t stone = 0; stone < 16; ++stone) {
        const std::string shotCommands = ShotCommands(state);
        commands += shotCommands;
        const size_t before = conversation.Output().size();
        conversation.Write(shotCommands);
        const std::string reply = conversation.ReadOutput(before + 1).substr(before);
        ShotVector shot = {};
        int spin = -1;
        ASSERT_EQ(std::sscanf(reply.c_str(), "BESTSHOT %f %f %d", &shot.vx, &shot.vy, &spin), 3) << reply;
        shot.spin = static_cast<uint8_t>(spin);
        ASSERT_EQ(simulation_(&state, shot, 0.145f, stone + 1, -1), 1) << reply;
    }
    EXPECT_EQ(conversation.Finish(), 0);
    ASSERT_GT(commands.size(), 4096u) << "the file must take several full reads";

    // ...and its commands from a file, read in full buffers that cut lines;
    // blank lines first move the cuts, as most digits of a cut number (the
    // zeros of stones not yet thrown) change nothing.
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("pebble-end-" + std::to_string(getpid()));
    for (const size_t shift : {0, 101, 257, 499, 743}) {
        std::ofstream(file, std::ios::binary) << std::string(shift, '\n') << commands;
        EngineProcess fromFile(PEBBLE_EXECUTABLE, LibraryFolder().c_str(), file.c_str());
        EXPECT_EQ(fromFile.Finish(), 0);
        EXPECT_EQ(fromFile.Output(), conversation.Output()) << shift << " blank lines first";
    }
    std::filesystem::remove(file);
}

}  // namespace
