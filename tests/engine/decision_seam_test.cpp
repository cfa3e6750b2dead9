// Both engines in one process: each one's decision record, installed in turn
// as its main installs it, answers GO through the same front end and records.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "command_loop.h"
#include "engine_decision.h"
#include "game_clock.h"
#include "game_score.h"
#include "game_state.h"
#include "granite_decision.h"
#include "granite_engine.h"
#include "pebble_decision.h"
#include "protocol.h"
#include "scripted_library.h"
#include "shot_selection.h"

namespace {

// What the front end writes while it handles text, as one read of its loop.
std::string Replies(const std::string &text)
{
    char buffer[LINE_BUFFER_SIZE + 1] = {};
    std::memcpy(buffer, text.data(), text.size());
    testing::internal::CaptureStdout();
    HandleChunk(buffer, static_cast<int>(text.size()));
    return testing::internal::GetCapturedStdout();
}

std::string BestShot(const ShotVector &shot)
{
    char reply[LINE_BUFFER_SIZE];
    std::snprintf(reply, sizeof reply, "BESTSHOT %f %f %d", static_cast<double>(shot.vx), static_cast<double>(shot.vy),
                  static_cast<int>(shot.spin));
    return reply;
}

class DecisionSeam : public ::testing::Test {
protected:
    void SetUp() override
    {
        // pebble throws through the scripted library, which has no luck:
        // its answer can be asked again. granite links the real one.
        scripted::Bind();
        gameState = GameState{};
        gameScore = GameScore{};
    }

    void TearDown() override { engineDecision = EngineDecision{}; }
};

TEST_F(DecisionSeam, BothEnginesAnswerGoInOneProcess)
{
    granite::EngineOptions options;
    options.limits.throws = 600;
    granite::Engine graniteEngine(std::move(options));

    engineDecision = PebbleDecision();
    const std::string pebbleReply = Replies("NEWGAME\nPOSITION 2.3 4.9 2.6 5.3\nSETSTATE 2 6 7 1\nSCORE 1 3\nGO\n");
    EXPECT_EQ(pebbleReply, BestShot(ChooseShot()));

    engineDecision = granite::DecisionOf(graniteEngine);
    const std::string graniteReply = Replies("GO\n");
    EXPECT_EQ(graniteReply, BestShot(graniteEngine.DecideShot(gameState, GameScore{1, 3}, GameClock{})));
    EXPECT_NE(graniteReply, pebbleReply);

    engineDecision = PebbleDecision();
    EXPECT_EQ(Replies("GO\n"), pebbleReply);
}

}  // namespace
