// granite as a child process: its options, the SCORE command, and the bad
// input pebble survives, each GO still answered with a shot the library takes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine_process.h"

namespace {

const std::vector<std::string> QUICK = {"--nodes", "300"};

EngineRun RunGranite(const std::string &input, const std::vector<std::string> &arguments = QUICK)
{
    return RunEngine(GRANITE_EXECUTABLE, nullptr, input, arguments);
}

// Every BESTSHOT reply of output, checked to be finite with a spin of 0 or 1.
int CountLegalShots(const std::string &output)
{
    int shots = 0;
    for (std::size_t at = output.find("BESTSHOT"); at != std::string::npos; at = output.find("BESTSHOT", at + 1)) {
        double vx = NAN;
        double vy = NAN;
        int spin = -1;
        EXPECT_EQ(std::sscanf(output.c_str() + at, "BESTSHOT %lf %lf %d", &vx, &vy, &spin), 3);
        EXPECT_TRUE(std::isfinite(vx) && std::isfinite(vy) && vy < 0.0) << output.substr(at, 40);
        EXPECT_TRUE(spin == 0 || spin == 1);
        ++shots;
    }
    return shots;
}

TEST(GraniteOptions, HelpAndBadOptions)
{
    const EngineRun help = RunGranite("", {"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char *option : {"--think", "--nodes", "--seed", "--threads", "--eval", "--weights"})
        EXPECT_NE(help.output.find(option), std::string::npos) << option;

    const std::vector<std::vector<std::string>> bad = {
        {"--think", "0"}, {"--think", "fast"}, {"--nodes", "-5"}, {"--threads", "0"}, {"--threads", "65"},
        {"--seed", "x"},  {"--level", "3"},    {"extra"},         {"--nodes"},        {"--eval", "guess"}};
    for (const std::vector<std::string> &arguments : bad) {
        const EngineRun run = RunGranite("", arguments);
        EXPECT_EQ(run.status, 2) << arguments[0];
        EXPECT_EQ(run.output, "") << arguments[0];
        EXPECT_NE(run.errors.find("granite: "), std::string::npos) << arguments[0];
    }
}

// A weights file that is not whole is refused at start, naming the file and
// the fault; the shipped weights written to a file play as the built-in ones.
TEST(GraniteOptions, WeightsFileIsCheckedBeforePlay)
{
    const std::string good = SHIPPED_WEIGHTS;
    const std::string cut = testing::TempDir() + "granite_cut_weights.bin";
    {
        std::ifstream in(good, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() - 3);
    }
    for (const std::string &path : {cut, testing::TempDir() + "granite_no_such_weights.bin"}) {
        const EngineRun run = RunGranite("GO\n", {"--eval", "network", "--weights", path});
        EXPECT_EQ(run.status, 2) << path;
        EXPECT_EQ(run.output, "") << path;
        EXPECT_NE(run.errors.find("granite: --weights " + path + ": "), std::string::npos) << run.errors;
    }
    const std::string game = "NEWGAME\nPOSITION 2.3 4.9 2.6 5.3\nSETSTATE 2 6 7 1\nSCORE 1 3\nGO\n";
    const EngineRun builtIn = RunGranite(game, {"--nodes", "300", "--eval", "network"});
    const EngineRun loaded = RunGranite(game, {"--nodes", "300", "--eval", "network", "--weights", good});
    EXPECT_EQ(CountLegalShots(builtIn.output), 1);
    EXPECT_EQ(loaded.output, builtIn.output);
    std::remove(cut.c_str());
}

TEST(GraniteProtocol, AnswersAsTheSharedFrontEndAndReadsScore)
{
    const EngineRun run = RunGranite("isready\nSCORE 3 1\nSCORE\nscore x y\nSETSTATE 15 7 7 1\nGO\nISREADY\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(run.output.rfind("READYOK", 0), 0u);
    EXPECT_EQ(CountLegalShots(run.output), 1);
    EXPECT_EQ(run.output.substr(run.output.size() - 7), "READYOK");
}

TEST(GraniteProtocol, SurvivesBadInput)
{
    const std::string input =
        "\x01\xff garbage\nPOSITION nan nan inf -inf 1e39 2 2.3 4.9\nSETSTATE 3 0 7 1\nGO\n"
        "SETSTATE -7 0 7 0\nGO\nSETSTATE 16 0 7 1\nGO\nSETSTATE 99999999999 -5 -9 1\nGO\n"
        "POSITION 2.3 4.9 2.4 4.8 2.5 5 NaN\nSETSTATE 15 2147483647 -2147483648 1\nSCORE 2147483647 -2147483648\nGO\n"
        "SETSTATE 1\nGO";
    const EngineRun run = RunGranite(input);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(CountLegalShots(run.output), 6);
}

TEST(GraniteProtocol, ThreadsAndTimeStillAnswer)
{
    const EngineRun run =
        RunGranite("POSITION 2.3 4.9 2.4 4.6\nSETSTATE 2 0 7 0\nGO\n", {"--threads", "2", "--think", "30"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(CountLegalShots(run.output), 1);
}

}  // namespace
