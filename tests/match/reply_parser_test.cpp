#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "protocol/protocol_text.h"
#include "protocol/reply_parser.h"

namespace {

const std::string VALID = "BESTSHOT -0.062500 2.250000 1";

TEST(ReplyParser, ReadsAWholeReplyOnceItSettles)
{
    EXPECT_EQ(ParseBestShot(VALID, false).status, ReplyStatus::Settling);
    Reply reply = ParseBestShot(VALID, true);
    ASSERT_EQ(reply.status, ReplyStatus::Complete);
    EXPECT_EQ(reply.shot.vx, -0.0625f);
    EXPECT_EQ(reply.shot.vy, 2.25f);
    EXPECT_EQ(reply.shot.spin, 1);
    EXPECT_EQ(reply.consumed, VALID.size());
}

TEST(ReplyParser, WhiteSpaceAfterTheSpinEndsTheReplyAtOnce)
{
    Reply reply = ParseBestShot("  bestshot 1 -2 0\r\nrest", false);
    ASSERT_EQ(reply.status, ReplyStatus::Complete);
    EXPECT_EQ(reply.shot.spin, 0);
    EXPECT_EQ(reply.consumed, std::string("  bestshot 1 -2 0").size());
}

TEST(ReplyParser, EveryPrefixOfAReplyWaitsForMore)
{
    for (std::size_t length = 0; length < VALID.size(); ++length) {
        ReplyStatus status = ParseBestShot(VALID.substr(0, length), false).status;
        EXPECT_TRUE(status == ReplyStatus::Incomplete || status == ReplyStatus::Settling) << VALID.substr(0, length);
    }
    // Before the third number has begun, silence does not complete a reply.
    EXPECT_EQ(ParseBestShot("BESTSHOT -0.0625 2.25 ", true).status, ReplyStatus::Incomplete);
}

TEST(ReplyParser, RejectsWhatIsNoWellFormedShot)
{
    const char *bad[] = {
        "HELLO",                       // no keyword
        "BESTSHOTX 1 2 0",             // keyword not a whole token
        "READYOK",                     // the wrong reply
        "BESTSHOT nan 2 0",            // not finite
        "BESTSHOT 1 inf 0",
        "BESTSHOT 1e39 2 0",           // finite as a double, not as a float
        "BESTSHOT 1,5 2 0",            // not a number
        "BESTSHOT 1 2 2",              // spin out of range
        "BESTSHOT 1 2 01",
        "BESTSHOT 1 2 1.0",
        "BESTSHOT 1 2 -1",
    };
    for (const char *text : bad)
        EXPECT_EQ(ParseBestShot(text, true).status, ReplyStatus::Malformed) << text;
    EXPECT_NE(ParseBestShot("BESTSHOT nan 2 0", true).problem.find("not a finite number"), std::string::npos);
    EXPECT_NE(ParseBestShot("BESTSHOT 1 2 2", true).problem.find("neither 0 nor 1"), std::string::npos);
}

TEST(ReplyParser, AnEndlessStreamIsCutOff)
{
    EXPECT_EQ(ParseBestShot("BESTSHOT " + std::string(MAX_REPLY_BYTES, '1'), false).status, ReplyStatus::Malformed);
    EXPECT_EQ(ParseBestShot(std::string(MAX_REPLY_BYTES + 1, ' '), false).status, ReplyStatus::Malformed);
    // White space before a keyword still being received counts too.
    const std::string padding(MAX_REPLY_BYTES, ' ');
    EXPECT_EQ(ParseBestShot(padding + "BEST", false).status, ReplyStatus::Malformed);
    EXPECT_EQ(ParseReadyOk(padding + "READY").status, ReplyStatus::Malformed);
    EXPECT_EQ(ParseReadyOk(padding + "READYOK").status, ReplyStatus::Complete);
}

TEST(ReplyParser, ReadyOk)
{
    EXPECT_EQ(ParseReadyOk("READ").status, ReplyStatus::Incomplete);
    EXPECT_EQ(ParseReadyOk("").status, ReplyStatus::Incomplete);
    Reply ready = ParseReadyOk(" readyok");
    EXPECT_EQ(ready.status, ReplyStatus::Complete);
    EXPECT_EQ(ready.consumed, 8u);
    EXPECT_EQ(ParseReadyOk("READYNO").status, ReplyStatus::Malformed);
    EXPECT_EQ(ParseReadyOk("BESTSHOT").status, ReplyStatus::Malformed);
}

TEST(ReplyParser, QuotesRepliesSafely)
{
    EXPECT_EQ(QuoteReply("a\"b\\\n\x01"), "a\\\"b\\\\\\x0a\\x01");
    EXPECT_EQ(QuoteReply(std::string(100, 'x')), std::string(80, 'x') + "...");
}

TEST(ProtocolText, CommandsAreSingleLinesTheEngineReadsBackExactly)
{
    GameState state{};
    state.shotIndex = 5;
    state.currentEnd = 2;
    state.lastEnd = 7;
    state.sideFlag = 1;
    state.stones[0][0] = 2.375f;
    state.stones[0][1] = 4.88f;
    state.stones[15][0] = 0.1f + 1e-7f;
    EXPECT_EQ(SetStateCommand(state), "SETSTATE 5 2 7 1\n");

    std::string position = PositionCommand(state);
    ASSERT_EQ(position.back(), '\n');
    EXPECT_EQ(position.find('\n'), position.size() - 1);
    EXPECT_EQ(position.rfind("POSITION 2.375 4.88000011 0 0", 0), 0u);
    std::vector<std::string> tokens;
    std::istringstream words(position);
    for (std::string word; words >> word;)
        tokens.push_back(word);
    ASSERT_EQ(tokens.size(), 33u);
    float x = static_cast<float>(std::atof(tokens[31].c_str()));
    EXPECT_EQ(x, state.stones[15][0]);
}

} // namespace
