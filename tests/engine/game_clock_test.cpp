// TIME as the front end reads it: the record it fills, the lines it refuses,
// and the GO and NEWGAME that forget it.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "engine_decision.h"
#include "game_clock.h"
#include "game_score.h"
#include "game_state.h"
#include "protocol.h"

namespace {

class GameClockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gameState = GameState{};
        gameScore = GameScore{};
        gameClock = GameClock{};
        engineDecision = EngineDecision{};
    }

    void TearDown() override { engineDecision = EngineDecision{}; }

    static int Handle(const std::string &line)
    {
        char buffer[LINE_BUFFER_SIZE + 1] = {};
        std::memcpy(buffer, line.data(), line.size());
        return HandleCommand(buffer);
    }

    static void ExpectClock(int32_t ownMs, int32_t otherMs, int32_t isSet, const std::string &after)
    {
        EXPECT_EQ(gameClock.ownMs, ownMs) << after;
        EXPECT_EQ(gameClock.otherMs, otherMs) << after;
        EXPECT_EQ(gameClock.isSet, isSet) << after;
    }
};

TEST_F(GameClockTest, TimeStoresBothClocksSaturated)
{
    EXPECT_EQ(Handle("TIME 59000 61234 extra"), 1);
    ExpectClock(59000, 61234, 1, "TIME 59000 61234");
    EXPECT_EQ(Handle("time   0 99999999999"), 1);
    ExpectClock(0, INT_MAX, 1, "time 0 99999999999");
}

TEST_F(GameClockTest, AShortOrBadLineChangesNothing)
{
    Handle("TIME 1500 2500");
    for (const char *bad : {"TIME", "TIME ", "TIME 5", "TIME -5 10", "TIME 5 -10", "TIME x 10", "TIME 10 1.5",
                            "TIME 10\t20", "TIME 10 +20", "TIMES 1 1", "TIME 12ms 5"}) {
        EXPECT_EQ(Handle(bad), 1) << bad;
        ExpectClock(1500, 2500, 1, bad);
    }
    gameClock = GameClock{};
    Handle("TIME 7");
    ExpectClock(0, 0, 0, "TIME 7 on a fresh record");
}

ShotVector Answer(void *context)
{
    *static_cast<GameClock *>(context) = gameClock;
    return ShotVector{};
}

// The GO after TIME sees it; the next GO, and a GO after NEWGAME, see none.
TEST_F(GameClockTest, ServesTheComingGoOnly)
{
    GameClock seen = {};
    engineDecision = EngineDecision{Answer, &seen};
    testing::internal::CaptureStdout();
    Handle("SCORE 2 1");
    Handle("TIME 800 900");
    Handle("SETSTATE 3 0 7 1");
    Handle("GO");
    EXPECT_EQ(seen.ownMs, 800);
    EXPECT_EQ(seen.otherMs, 900);
    EXPECT_EQ(seen.isSet, 1);
    ExpectClock(0, 0, 0, "GO");
    Handle("GO");
    EXPECT_EQ(seen.isSet, 0);
    Handle("TIME 300 400");
    Handle("NEWGAME");
    ExpectClock(0, 0, 0, "NEWGAME");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(gameScore.own, 2) << "TIME and NEWGAME leave the score";
}

// A GO no engine answers still uses up the TIME sent for it.
TEST_F(GameClockTest, AnUnansweredGoForgetsTheClockToo)
{
    Handle("TIME 800 900");
    testing::internal::CaptureStdout();
    Handle("GO");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ExpectClock(0, 0, 0, "GO unanswered");
}

TEST_F(GameClockTest, TimeLeavesThePositionAndScoreAlone)
{
    gameState.shotIndex = 5;
    gameState.stones[3][1] = 4.5f;
    gameScore = GameScore{3, 4};
    const GameState before = gameState;
    Handle("TIME 10 20");
    EXPECT_EQ(std::memcmp(&gameState, &before, sizeof before), 0);
    EXPECT_EQ(gameScore.own, 3);
    EXPECT_EQ(gameScore.other, 4);
}

}  // namespace
