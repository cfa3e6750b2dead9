// pebble never reads TIME: two ends' commands with TIME lines before each GO
// (and bad ones among them) get the replies of the same commands without them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "crowded_house.h"
#include "engine_process.h"

namespace {

TEST(ClockBlindPebble, TimeLinesChangeNoReply)
{
    GameState house = {};
    PlaceCrowdedHouse(house);
    std::string plain = "NEWGAME\n";
    std::string timed = "TIME 60000 60000\n" + plain;  // before NEWGAME: forgotten at once
    int clocks[2] = {60000, 60000};
    for (int end = 0; end < 2; ++end) {
        for (int stone = 0; stone < 16; ++stone) {
            std::string commands = "POSITION";
            char number[32];
            for (int thrown = 0; thrown < 16; ++thrown)
                for (const float coordinate : house.stones[thrown]) {
                    std::snprintf(number, sizeof number, " %.6f",
                                  thrown < stone ? static_cast<double>(coordinate) : 0.0);
                    commands += number;
                }
            commands += "\nSETSTATE " + std::to_string(stone) + " " + std::to_string(end) + " 1 " +
                        std::to_string(stone % 2) + "\nSCORE " + std::to_string(end) + " 0\n";
            const int side = (stone + end) % 2;
            plain += commands + "GO\n";
            timed += commands + "TIME " + std::to_string(clocks[side]) + " " + std::to_string(clocks[1 - side]) +
                     (stone == 5 ? "\nTIME x 3\nTIME 12\nTIME -1 -1\n" : "\n") + "GO\n";
            clocks[side] -= 1500;
        }
    }
    const std::string libraryFolder = std::filesystem::path(TESSIVAL_LIBRARY).parent_path().string();
    const EngineRun withoutClock = RunEngine(PEBBLE_EXECUTABLE, libraryFolder.c_str(), plain);
    const EngineRun onTheClock = RunEngine(PEBBLE_EXECUTABLE, libraryFolder.c_str(), timed + "TIME 1 1\n");
    EXPECT_EQ(withoutClock.status, 0) << withoutClock.errors;
    EXPECT_EQ(onTheClock.status, 0) << onTheClock.errors;
    int replies = 0;
    for (size_t at = withoutClock.output.find("BESTSHOT"); at != std::string::npos;
         at = withoutClock.output.find("BESTSHOT", at + 1))
        ++replies;
    EXPECT_EQ(replies, 32) << withoutClock.output;
    EXPECT_EQ(onTheClock.output, withoutClock.output);
}

}  // namespace
