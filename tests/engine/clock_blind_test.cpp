// pebble never reads TIME: a game's commands with TIME lines before each GO
// (and bad ones among them) get the replies of the same commands without them.
#include <gtest/gtest.h>

#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <string>

#include "engine_process.h"
#include "tessival.h"

namespace {

using SimulationFunction = int (*)(GameState *, ShotVector, float, uint32_t, int32_t);

std::string PositionCommand(const GameState &state)
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

// A conversation's commands twice: as sent, with the clock, and without TIME lines.
struct Commands {
    std::string timed;
    std::string plain;

    void Both(const std::string &lines)
    {
        timed += lines;
        plain += lines;
    }
};

TEST(ClockBlindPebble, TimeLinesChangeNoReply)
{
    if (!std::filesystem::exists(TESSIVAL_LIBRARY))
        GTEST_SKIP() << "the physics library " << TESSIVAL_LIBRARY << " is not built";
    void *library = dlopen(TESSIVAL_LIBRARY, RTLD_NOW);
    ASSERT_NE(library, nullptr) << dlerror();
    const auto simulation = reinterpret_cast<SimulationFunction>(dlsym(library, "Simulation"));
    ASSERT_NE(simulation, nullptr);
    const std::string libraryFolder = std::filesystem::path(TESSIVAL_LIBRARY).parent_path().string();

    // Two ends played command by command on a clock of 60 s a side, each shot
    // taking 1.5 s off the mover's clock; the side with the hammer throws the odd stones.
    EngineProcess conversation(PEBBLE_EXECUTABLE, libraryFolder.c_str());
    Commands commands;
    commands.Both("NEWGAME\n");
    commands.timed += "TIME 60000 60000\n";  // before NEWGAME: forgotten at once
    int clocks[2] = {60000, 60000};
    size_t sent = 0;
    for (int end = 0; end < 2; ++end) {
        GameState state = {};
        for (int stone = 0; stone < 16; ++stone) {
            const int side = (stone + end) % 2;
            commands.Both(PositionCommand(state) + "SETSTATE " + std::to_string(stone) + " " + std::to_string(end) +
                          " 1 " + std::to_string(stone % 2) + "\nSCORE " + std::to_string(end * side) + " 0\n");
            commands.timed += "TIME " + std::to_string(clocks[side]) + " " + std::to_string(clocks[1 - side]) + "\n";
            if (stone == 5)
                commands.timed += "TIME x 3\nTIME 12\nTIME -1 -1\n";
            commands.Both("GO\n");
            clocks[side] -= 1500;
            const size_t before = conversation.Output().size();
            conversation.Write(commands.timed.substr(sent));
            sent = commands.timed.size();
            const std::string reply = conversation.ReadOutput(before + 1).substr(before);
            ShotVector shot = {};
            int spin = -1;
            ASSERT_EQ(std::sscanf(reply.c_str(), "BESTSHOT %f %f %d", &shot.vx, &shot.vy, &spin), 3) << reply;
            shot.spin = static_cast<uint8_t>(spin);
            ASSERT_EQ(simulation(&state, shot, 0.145f, static_cast<uint32_t>(16 * end + stone + 1), -1), 1) << reply;
        }
    }
    commands.timed += "TIME 1000 1000\n";
    conversation.Write(commands.timed.substr(sent));
    EXPECT_EQ(conversation.Finish(), 0);
    dlclose(library);

    const EngineRun plain = RunEngine(PEBBLE_EXECUTABLE, libraryFolder.c_str(), commands.plain);
    EXPECT_EQ(plain.status, 0) << plain.errors;
    EXPECT_EQ(plain.output, conversation.Output());
    const EngineRun timed = RunEngine(PEBBLE_EXECUTABLE, libraryFolder.c_str(), commands.timed);
    EXPECT_EQ(timed.output, conversation.Output()) << "the same commands read from one piece";
}

}  // namespace
