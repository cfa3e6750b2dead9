#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "command_loop.h"
#include "engine_decision.h"
#include "game_score.h"
#include "game_state.h"
#include "number_conversion.h"
#include "protocol.h"

namespace {

// Token n of source, or "<none>" when GetToken reports that it does not exist.
std::string Token(const char *source, int n)
{
    char destination[LINE_BUFFER_SIZE];
    std::memset(destination, 'q', sizeof destination);
    return GetToken(destination, source, n) ? std::string(destination) : "<none>";
}

TEST(GetToken, OnlySpacesSeparateAndRunsCountOnce)
{
    EXPECT_EQ(Token("   POSITION  1.5   -2", 0), "POSITION");
    EXPECT_EQ(Token("   POSITION  1.5   -2", 1), "1.5");
    EXPECT_EQ(Token("   POSITION  1.5   -2", 2), "-2");
    EXPECT_EQ(Token("   POSITION  1.5   -2", 3), "<none>");
    EXPECT_EQ(Token("a\tb c", 0), "a\tb");
    EXPECT_EQ(Token("a\tb c", 1), "c");
}

TEST(GetToken, TrailingSpacesMakeOneEmptyToken)
{
    EXPECT_EQ(Token("SETSTATE 1 2 3 ", 4), "");
    EXPECT_EQ(Token("SETSTATE 1 2 3   ", 4), "");
    EXPECT_EQ(Token("SETSTATE 1 2 3 ", 5), "<none>");
    EXPECT_EQ(Token("SETSTATE 1 2 3", 4), "<none>");
}

TEST(GetToken, TheFirstTokenAlwaysExists)
{
    EXPECT_EQ(Token("", 0), "");
    EXPECT_EQ(Token("     ", 0), "");
    EXPECT_EQ(Token("     ", 1), "<none>");
    char destination[LINE_BUFFER_SIZE];
    EXPECT_EQ(GetToken(destination, nullptr, 0), 0);
}

TEST(GetToken, CopiesAtMostTheBufferLessItsTerminator)
{
    const std::string longToken(2000, 'x');
    std::string line = "A ";
    line.append(longToken).append(" B");
    EXPECT_EQ(Token(line.c_str(), 1), std::string(LINE_BUFFER_SIZE - 1, 'x'));
    EXPECT_EQ(Token(line.c_str(), 2), "B");
    EXPECT_EQ(Token(std::string(1023, 'y').c_str(), 0), std::string(1023, 'y'));
}

TEST(ConvertInteger, BehavesAsAtoiAndSaturates)
{
    EXPECT_EQ(ConvertInteger("42"), 42);
    EXPECT_EQ(ConvertInteger("  \t-17abc"), -17);
    EXPECT_EQ(ConvertInteger("+8"), 8);
    EXPECT_EQ(ConvertInteger("abc"), 0);
    EXPECT_EQ(ConvertInteger(""), 0);
    EXPECT_EQ(ConvertInteger("-"), 0);
    EXPECT_EQ(ConvertInteger("3.9"), 3);
    EXPECT_EQ(ConvertInteger("2147483647"), INT_MAX);
    EXPECT_EQ(ConvertInteger("2147483648"), INT_MAX);
    EXPECT_EQ(ConvertInteger("-2147483648"), INT_MIN);
    EXPECT_EQ(ConvertInteger("-2147483649"), INT_MIN);
    EXPECT_EQ(ConvertInteger("99999999999999999999999999"), INT_MAX);
    EXPECT_EQ(ConvertInteger("-99999999999999999999999999"), INT_MIN);
    EXPECT_EQ(ConvertInteger("0000000000000000000000012"), 12);
}

TEST(ConvertCoordinate, BehavesAsAtofRoundedToFloat)
{
    EXPECT_EQ(ConvertCoordinate("2.375"), 2.375f);
    EXPECT_EQ(ConvertCoordinate("4.88"), 4.88f);
    EXPECT_EQ(ConvertCoordinate("1.5e1xyz"), 15.0f);
    EXPECT_EQ(ConvertCoordinate("-0.25"), -0.25f);
    EXPECT_EQ(ConvertCoordinate("x1"), 0.0f);
    EXPECT_EQ(ConvertCoordinate("\t7"), 7.0f);
}

class HandleCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gameState = GameState{};
        for (int stone = 0; stone < 16; ++stone) {
            gameState.stones[stone][0] = 100.0f + static_cast<float>(stone);
            gameState.stones[stone][1] = 200.0f + static_cast<float>(stone);
        }
        gameState.shotIndex = 11;
        gameState.currentEnd = 12;
        gameState.lastEnd = 13;
        gameState.sideFlag = 1;
        gameScore = GameScore{4, 9};
        engineDecision = EngineDecision{};
    }

    void TearDown() override { engineDecision = EngineDecision{}; }

    static int Handle(std::string line)
    {
        char buffer[LINE_BUFFER_SIZE + 1] = {};
        std::memcpy(buffer, line.data(), line.size());
        return HandleCommand(buffer);
    }
};

TEST_F(HandleCommandTest, PositionWithThreeNumbersUpdatesAPrefix)
{
    EXPECT_EQ(Handle("POSITION 1 2 3"), 0);
    EXPECT_EQ(gameState.stones[0][0], 1.0f);
    EXPECT_EQ(gameState.stones[0][1], 2.0f);
    EXPECT_EQ(gameState.stones[1][0], 3.0f);
    EXPECT_EQ(gameState.stones[1][1], 201.0f);
    EXPECT_EQ(gameState.stones[2][0], 102.0f);
    EXPECT_EQ(gameState.stones[15][1], 215.0f);
}

TEST_F(HandleCommandTest, PositionWithAllNumbersFillsStonesInOrder)
{
    std::string line = "position";
    for (int k = 0; k < 32; ++k) {
        line.append(" ").append(std::to_string(k)).append(".5");
    }
    line.append(" 99");
    EXPECT_EQ(Handle(line), 1);
    EXPECT_EQ(gameState.stones[0][0], 0.5f);
    EXPECT_EQ(gameState.stones[1][0], 2.5f);
    EXPECT_EQ(gameState.stones[15][1], 31.5f);
}

TEST_F(HandleCommandTest, SetStateWithTwoNumbersKeepsTheLaterFields)
{
    EXPECT_EQ(Handle("SETSTATE 5 2"), 0);
    EXPECT_EQ(gameState.shotIndex, 5);
    EXPECT_EQ(gameState.currentEnd, 2);
    EXPECT_EQ(gameState.lastEnd, 13);
    EXPECT_EQ(gameState.sideFlag, 1);
}

TEST_F(HandleCommandTest, SetStateReducesTheSideFlag)
{
    EXPECT_EQ(Handle("SETSTATE 1 2 3 0"), 1);
    EXPECT_EQ(gameState.sideFlag, 0);
    EXPECT_EQ(Handle("SETSTATE 1 2 3 -1"), 1);
    EXPECT_EQ(gameState.sideFlag, 1);
    EXPECT_EQ(gameState.lastEnd, 3);
}

TEST_F(HandleCommandTest, SetStateTrailingSpaceIsAnEmptyFourthNumber)
{
    EXPECT_EQ(Handle("SETSTATE 7 8 9 "), 1);
    EXPECT_EQ(gameState.shotIndex, 7);
    EXPECT_EQ(gameState.sideFlag, 0);
}

TEST_F(HandleCommandTest, SetStateLettersGiveZeros)
{
    EXPECT_EQ(Handle("SETSTATE a b c d"), 1);
    EXPECT_EQ(gameState.shotIndex, 0);
    EXPECT_EQ(gameState.currentEnd, 0);
    EXPECT_EQ(gameState.lastEnd, 0);
    EXPECT_EQ(gameState.sideFlag, 0);
}

TEST_F(HandleCommandTest, SetStateStoresAnyIntegerSaturated)
{
    EXPECT_EQ(Handle("SetState 99999999999 -99999999999 -3 1"), 1);
    EXPECT_EQ(gameState.shotIndex, INT_MAX);
    EXPECT_EQ(gameState.currentEnd, INT_MIN);
    EXPECT_EQ(gameState.lastEnd, -3);
}

TEST_F(HandleCommandTest, NewGameZeroesEveryFieldButTheFiller)
{
    std::memset(reinterpret_cast<unsigned char *>(&gameState) + 53, 0xAB, 3);
    gameState.endScores[4] = 6;
    EXPECT_EQ(Handle("NEWGAME extra words"), 1);
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(&gameState);
    for (size_t offset = 0; offset < sizeof gameState; ++offset) {
        EXPECT_EQ(bytes[offset], offset >= 53 && offset < 56 ? 0xAB : 0) << offset;
    }
}

TEST_F(HandleCommandTest, KeywordsAreWholeTokensOfAnyCase)
{
    EXPECT_EQ(Handle("newGame"), 1);
    EXPECT_EQ(gameState.lastEnd, 0);
    SetUp();
    EXPECT_EQ(Handle("NEWGAMES"), 1);
    EXPECT_EQ(Handle("SETSTATEX 1 2 3 4"), 1);
    EXPECT_EQ(Handle(" POSITION\t1 2"), 1);
    EXPECT_EQ(gameState.lastEnd, 13);
    EXPECT_EQ(gameState.stones[0][0], 100.0f);
}

TEST_F(HandleCommandTest, OnlyTheFirstLineOfTheTextIsHandled)
{
    EXPECT_EQ(Handle("SETSTATE 3\r\nSETSTATE 4 5 6 7"), 0);
    EXPECT_EQ(gameState.shotIndex, 3);
    EXPECT_EQ(gameState.currentEnd, 12);
    EXPECT_EQ(Handle("\nSETSTATE 4"), 1);
    EXPECT_EQ(gameState.shotIndex, 3);
    EXPECT_EQ(HandleCommand(nullptr), 0);
}

TEST_F(HandleCommandTest, ScoreStoresBothNumbersOrNothing)
{
    EXPECT_EQ(Handle("SCORE 3 -1 extra"), 1);
    EXPECT_EQ(gameScore.own, 3);
    EXPECT_EQ(gameScore.other, -1);
    for (const char *shortLine : {"SCORE 5", "score", "SCORE ", "SCORES 1 1"}) {
        EXPECT_EQ(Handle(shortLine), 1) << shortLine;
        EXPECT_EQ(gameScore.own, 3) << shortLine;
        EXPECT_EQ(gameScore.other, -1) << shortLine;
    }
    EXPECT_EQ(Handle("Score x 99999999999"), 1);
    EXPECT_EQ(gameScore.own, 0);
    EXPECT_EQ(gameScore.other, INT_MAX);
}

TEST_F(HandleCommandTest, ScoreAndNewGameKeepToTheirOwnRecords)
{
    const GameState before = gameState;
    Handle("SCORE 2 5");
    EXPECT_EQ(std::memcmp(&gameState, &before, sizeof before), 0);
    Handle("NEWGAME");
    EXPECT_EQ(gameScore.own, 2);
    EXPECT_EQ(gameScore.other, 5);
}

// Records what the front end shows a decision when it asks for a shot.
struct DecisionProbe {
    int calls;
    int32_t shotIndex;
    GameScore score;
};

ShotVector AnswerAndRecord(void *context)
{
    DecisionProbe &probe = *static_cast<DecisionProbe *>(context);
    ++probe.calls;
    probe.shotIndex = gameState.shotIndex;
    probe.score = gameScore;
    ShotVector shot = {};
    shot.vx = 1.5f;
    shot.vy = -2.25f;
    shot.spin = 1;
    return shot;
}

TEST_F(HandleCommandTest, GoAsksTheDecisionRecordWithItsContext)
{
    DecisionProbe probe = {};
    engineDecision = EngineDecision{AnswerAndRecord, &probe};
    testing::internal::CaptureStdout();
    Handle("SCORE 1 2");
    Handle("SETSTATE 7");
    EXPECT_EQ(Handle("go"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "BESTSHOT 1.500000 -2.250000 1");
    EXPECT_EQ(probe.calls, 1);
    EXPECT_EQ(probe.shotIndex, 7);
    EXPECT_EQ(probe.score.own, 1);
    EXPECT_EQ(probe.score.other, 2);
}

TEST_F(HandleCommandTest, GoWithoutADecisionIsLeftUnanswered)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(Handle("GO"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

class HandleChunkTest : public HandleCommandTest {
protected:
    static void Chunk(const std::string &text)
    {
        char buffer[LINE_BUFFER_SIZE + 1] = {};
        std::memcpy(buffer, text.data(), text.size());
        HandleChunk(buffer, static_cast<int>(text.size()));
    }
};

TEST_F(HandleChunkTest, EveryLineIsHandledInOrder)
{
    Chunk("NEWGAME\nSETSTATE 4 1\r\nPOSITION 1 2\rSETSTATE 6");
    EXPECT_EQ(gameState.shotIndex, 6);
    EXPECT_EQ(gameState.currentEnd, 1);
    EXPECT_EQ(gameState.stones[0][1], 2.0f);
    EXPECT_EQ(gameState.stones[1][0], 0.0f);
}

TEST_F(HandleChunkTest, ALeadingLineFeedIsAnEmptyLine)
{
    Chunk("\nSETSTATE 9");
    EXPECT_EQ(gameState.shotIndex, 9);
}

TEST_F(HandleChunkTest, ANulEndsItsLineOnly)
{
    std::string text = "SETSTATE 2";
    text.push_back('\0');
    text.append("SETSTATE 3\nSETSTATE 4 5");
    Chunk(text);
    EXPECT_EQ(gameState.shotIndex, 4);
    EXPECT_EQ(gameState.currentEnd, 5);
}

TEST_F(HandleChunkTest, AFullChunkIsBoundedByTheSpareByte)
{
    std::string text = "SETSTATE 8 ";
    text += std::string(LINE_BUFFER_SIZE - text.size(), '7');
    Chunk(text);
    EXPECT_EQ(gameState.shotIndex, 8);
    EXPECT_EQ(gameState.currentEnd, INT_MAX);
}

}  // namespace
