// TIME as the front end reads it: the record it fills, the lines it refuses,
// and the GO and NEWGAME that forget it.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "engine_decision.h"
#include "game_clock.h"
#include "game_score.h"
#include "protocol.h"

namespace {

class GameClockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gameScore = GameScore{};
        gameClock = GameClock{};
    }

    void TearDown() override { engineDecision = EngineDecision{}; }

    static void Handle(const std::string &line)
    {
        char buffer[LINE_BUFFER_SIZE + 1] = {};
        std::memcpy(buffer, line.data(), line.size());
        EXPECT_EQ(HandleCommand(buffer), 1) << line;
    }

    static void ExpectClock(int32_t ownMs, int32_t otherMs, int32_t isSet, const std::string &after)
    {
        EXPECT_EQ(gameClock.ownMs, ownMs) << after;
        EXPECT_EQ(gameClock.otherMs, otherMs) << after;
        EXPECT_EQ(gameClock.isSet, isSet) << after;
    }
};

TEST_F(GameClockTest, TimeStoresTwoWholeNumbersOrNothing)
{
    Handle("time   0 99999999999 extra");
    ExpectClock(0, INT_MAX, 1, "saturated");
    Handle("TIME 1500 2500");
    for (const char *bad : {"TIME", "TIME ", "TIME 5", "TIME -5 10", "TIME 5 -10", "TIME x 10", "TIME 10 1.5",
                            "TIME 10\t20", "TIME 10 +20", "TIMES 1 1", "TIME 12ms 5"}) {
        Handle(bad);
        ExpectClock(1500, 2500, 1, bad);
    }
    EXPECT_EQ(gameScore.own, 0) << "TIME is no SCORE";
}

ShotVector Answer(void *context)
{
    *static_cast<GameClock *>(context) = gameClock;
    return ShotVector{};
}

// The GO after TIME sees it; the next GO, a GO after NEWGAME and the GO no
// engine answers see none and leave none.
TEST_F(GameClockTest, ServesTheComingGoOnly)
{
    Handle("TIME 800 900");
    Handle("GO");
    ExpectClock(0, 0, 0, "GO unanswered");

    GameClock seen = {};
    engineDecision = EngineDecision{Answer, &seen};
    testing::internal::CaptureStdout();
    Handle("TIME 800 900");
    Handle("SETSTATE 3 0 7 1");
    Handle("GO");
    EXPECT_EQ(seen.ownMs, 800);
    EXPECT_EQ(seen.otherMs, 900);
    EXPECT_EQ(seen.isSet, 1);
    Handle("GO");
    EXPECT_EQ(seen.isSet, 0);
    Handle("TIME 300 400");
    Handle("NEWGAME");
    Handle("GO");
    EXPECT_EQ(seen.isSet, 0);
    testing::internal::GetCapturedStdout();
}

}  // namespace
