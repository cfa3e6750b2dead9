#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "engine_process.h"

namespace {

// The engine against the scripted library: builds echo their targets and
// throws change nothing, so a reply names the target of the chosen candidate.
EngineRun RunScripted(const std::string &input)
{
    return RunEngine(PEBBLE_EXECUTABLE, SCRIPTED_LIBRARY_DIR, input);
}

std::string Answer(const std::string &input)
{
    const EngineRun run = RunScripted(input);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errors, "");
    return run.output;
}

TEST(Protocol, IsReadyIsAnsweredWithoutTerminator)
{
    EXPECT_EQ(Answer("isready\n"), "READYOK");
    EXPECT_EQ(Answer("IsReady"), "READYOK");
    EXPECT_EQ(Answer("ISREADY\r\n"), "READYOK");
    EXPECT_EQ(Answer("   ISREADY please\n"), "READYOK");
}

TEST(Protocol, OnlyTheWholeKeywordIsReady)
{
    EXPECT_EQ(Answer("ISREADYX\n"), "");
    EXPECT_EQ(Answer("ISREADY\tX\n"), "");
    EXPECT_EQ(Answer("READY\nHELLO\n\n"), "");
}

TEST(Protocol, EveryLineOfOneWriteIsACommand)
{
    EXPECT_EQ(Answer("ISREADY\nISREADY"), "READYOKREADYOK");
    EXPECT_EQ(Answer("\nISREADY"), "READYOK");
    EXPECT_EQ(Answer("ISREADY\r\nGO\r\nISREADY\r\n"), "READYOKBESTSHOT 2.375000 4.880000 1READYOK");
}

TEST(Protocol, GoOnTheEmptySheetDrawsToTheTee)
{
    // Nothing changes on the sheet: the six candidates tie and the one aimed at
    // the tee with spin 1 plays.
    EXPECT_EQ(Answer("GO\n"), "BESTSHOT 2.375000 4.880000 1");
    EXPECT_EQ(Answer("go\ngo\n"), "BESTSHOT 2.375000 4.880000 1BESTSHOT 2.375000 4.880000 1");
}

TEST(Protocol, PartialUpdatesAreSeenByGo)
{
    // Shot 4, an opposing stone on the tee: the hit's trials never reach the
    // floor, so candidate 1 plays, 0.0725 to the right with spin 1.
    const std::string position = "POSITION 0 0 2.375 4.88\n";
    EXPECT_EQ(Answer(position + "SETSTATE 4 0 9 1\nGO\n"), "BESTSHOT 2.447500 12.000000 1");
    // SETSTATE 3 alone: the stone is now the mover's own, and it is guarded.
    EXPECT_EQ(Answer(position + "SETSTATE 4 0 9 1\nSETSTATE 3\nGO\n"), "BESTSHOT 2.375000 6.380000 1");
    // A POSITION with three numbers moves the x of stone 1 only.
    EXPECT_EQ(Answer(position + "SETSTATE 3\nPOSITION 0 0 2.5\nGO\n"), "BESTSHOT 2.500000 6.380000 1");
    // NEWGAME returns to the empty sheet.
    EXPECT_EQ(Answer(position + "SETSTATE 3\nNEWGAME\nGO\n"), "BESTSHOT 2.375000 4.880000 1");
}

TEST(Protocol, ScoreLinesChangeNoReply)
{
    // The runner's SCORE line is for engines that play for the game; pebble
    // ignores it like any unknown line, wherever it comes.
    const std::string position = "POSITION 0 0 2.375 4.88\nSETSTATE 4 0 9 1\n";
    const std::string plain = Answer(position + "GO\nSETSTATE 3\nGO\n");
    EXPECT_EQ(Answer("SCORE 2 5\n" + position + "SCORE 3 0\nGO\nSETSTATE 3\nscore -1 x 7\nGO\nSCORE\n"), plain);
}

TEST(Protocol, RepliesComeOneAtATimeInAConversation)
{
    EngineProcess engine(PEBBLE_EXECUTABLE, SCRIPTED_LIBRARY_DIR);
    engine.Write("ISREADY\n");
    EXPECT_EQ(engine.ReadOutput(7), "READYOK");
    engine.Write("POSITION 0 0 2.375 4.88\n");
    engine.Write("SETSTATE 4 0 9 1\n");
    engine.Write("GO\n");
    EXPECT_EQ(engine.ReadOutput(7 + 29), "READYOKBESTSHOT 2.447500 12.000000 1");
    engine.Write("NEWGAME\n");
    engine.Write("GO");
    EXPECT_EQ(engine.ReadOutput(7 + 29 + 28), "READYOKBESTSHOT 2.447500 12.000000 1BESTSHOT 2.375000 4.880000 1");
    EXPECT_EQ(engine.Finish(), 0);
}

TEST(Protocol, AFullReadIsOneCommandBoundedInTheBuffer)
{
    std::string chunk = "ISREADY";
    chunk += std::string(1024 - chunk.size() - 1, ' ');
    chunk += "Z";
    ASSERT_EQ(chunk.size(), 1024u);
    EXPECT_EQ(Answer(chunk + "ISREADY\n"), "READYOKREADYOK");
    EXPECT_EQ(Answer(std::string(1024, 'x') + "ISREADY"), "READYOK");
}

// The replies to input read from a file, where every read but the last fills
// the buffer.
std::string AnswerFromFile(const std::string &input)
{
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("pebble-input-" + std::to_string(getpid()));
    std::ofstream(file, std::ios::binary) << input;
    EngineProcess engine(PEBBLE_EXECUTABLE, SCRIPTED_LIBRARY_DIR, file.c_str());
    EXPECT_EQ(engine.Finish(), 0);
    std::filesystem::remove(file);
    return engine.Output();
}

TEST(Protocol, ALineCutByAFullReadIsHandledWhole)
{
    const std::string commands = "POSITION 0 0 2.375 4.88\nSETSTATE 4 0 9 1\nGO";
    // Blank lines first put the buffer's end after each byte of the commands.
    for (std::size_t cut = 1; cut <= commands.size(); ++cut)
        EXPECT_EQ(AnswerFromFile(std::string(1024 - cut, '\n') + commands), "BESTSHOT 2.447500 12.000000 1")
            << "the first read ends after " << commands.substr(0, cut);
}

TEST(Protocol, ACommandWithoutArgumentsEndingAFullReadIsAnsweredAtOnce)
{
    const std::pair<std::string, std::string> cases[] = {{"ISREADY", "READYOK"},
                                                         {"  go", "BESTSHOT 2.375000 4.880000 1"},
                                                         {"NEWGAME\nGO", "BESTSHOT 2.375000 4.880000 1"}};
    for (const auto &[command, reply] : cases) {
        EngineProcess engine(PEBBLE_EXECUTABLE, SCRIPTED_LIBRARY_DIR);
        engine.Write(std::string(1024 - command.size(), '\n') + command);
        EXPECT_EQ(engine.ReadOutput(reply.size(), 10), reply) << command;
        EXPECT_EQ(engine.Finish(), 0);
    }
}

TEST(Protocol, EndOfInputEndsWithStatusZero)
{
    const EngineRun empty = RunScripted("");
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.output, "");
    const EngineRun afterCommands = RunScripted("NEWGAME\nSETSTATE 1 2 3 4\n");
    EXPECT_EQ(afterCommands.status, 0);
    EXPECT_EQ(afterCommands.output, "");
}

TEST(Protocol, AClosedOutputGoesUnnoticed)
{
    EngineProcess engine(PEBBLE_EXECUTABLE, SCRIPTED_LIBRARY_DIR);
    engine.CloseOutput();
    engine.Write("ISREADY\nGO\nISREADY\n");
    EXPECT_EQ(engine.Finish(), 0);
}

TEST(Protocol, AnEmptyFileAtStandardInputEndsTheLoop)
{
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("pebble-empty-" + std::to_string(getpid()));
    std::ofstream(file).close();
    EngineProcess engine(PEBBLE_EXECUTABLE, SCRIPTED_LIBRARY_DIR, file.c_str());
    EXPECT_EQ(engine.Finish(), 0);
    EXPECT_EQ(engine.Output(), "");
    std::filesystem::remove(file);
}

class StartupFailure : public ::testing::Test {
protected:
    // A copy of the engine alone in a folder of its own, so that the library
    // beside the real executable is not found.
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() / ("pebble-alone-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder_);
        engine_ = folder_ / "pebble";
        std::filesystem::copy_file(PEBBLE_EXECUTABLE, engine_, std::filesystem::copy_options::overwrite_existing);
        input_ = folder_ / "input";
        std::ofstream(input_) << "ISREADY\nGO\n";
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void ExpectFailure(const char *libraryPath, const std::string &reasonPart)
    {
        EngineProcess engine(engine_.string(), libraryPath, input_.c_str());
        EXPECT_EQ(engine.Finish(), 1);
        EXPECT_EQ(engine.Output(), "");
        EXPECT_EQ(engine.InputOffset(), 0) << "the engine read its input";
        const std::string message = "エラー: libtessival.so の読み込みに失敗しました\n";
        const std::string &errors = engine.Errors();
        ASSERT_EQ(errors.compare(0, message.size(), message), 0) << errors;
        const std::string reason = errors.substr(message.size());
        EXPECT_NE(reason.find(reasonPart), std::string::npos) << reason;
        EXPECT_EQ(reason.back(), '\n');
    }

    std::filesystem::path folder_;
    std::filesystem::path engine_;
    std::filesystem::path input_;
};

TEST_F(StartupFailure, AMissingLibraryEndsWithStatusOneAndTheLoadersReason)
{
    ExpectFailure(nullptr, "libtessival.so");
}

TEST_F(StartupFailure, AMissingEntryPointEndsWithStatusOne)
{
    ExpectFailure(INCOMPLETE_LIBRARY_DIR, "CreateHitShot");
}

}  // namespace
