#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "protocol/protocol_text.h"
#include "protocol/reply_parser.h"

using namespace match::protocol;

namespace {

const std::string VALID = "BESTSHOT -0.062500 2.250000 1";

TEST(ReplyParser, ReadsAWholeReplyAtItsSpinDigit)
{
    Reply reply = ParseBestShot(VALID);
    ASSERT_EQ(reply.status, ReplyStatus::Complete);
    EXPECT_EQ(reply.shot.vx, -0.0625f);
    EXPECT_EQ(reply.shot.vy, 2.25f);
    EXPECT_EQ(reply.shot.spin, 1);
    EXPECT_EQ(reply.consumed, VALID.size());
    EXPECT_EQ(reply.text, VALID);
}

TEST(ReplyParser, EveryPrefixOfAReplyWaitsForMore)
{
    for (std::size_t length = 0; length < VALID.size(); ++length)
        EXPECT_EQ(ParseBestShot(VALID.substr(0, length)).status, ReplyStatus::Incomplete) << VALID.substr(0, length);
    // Numbers cut mid-token wait; only the spin, one digit by grammar, is whole at once.
    EXPECT_EQ(ParseBestShot("BESTSHOT 0.1 0.2").status, ReplyStatus::Incomplete);
    EXPECT_EQ(ParseBestShot("BESTSHOT -0.0625 2.25 ").status, ReplyStatus::Incomplete);
    EXPECT_EQ(ParseBestShot("BESTSHOT 0.1 0.2 1").status, ReplyStatus::Complete);
}

// What a reader holds when it judges a reply, and the verdict.
struct Judgement {
    const char *received;
    ReplyStatus status;
    const char *text;      // recorded without the white space around it
    std::size_t consumed;  // for Complete: what stays is the next reply's
    const char *problem;   // part of the message, for Malformed
};

class LineEnds : public testing::TestWithParam<Judgement> {};

TEST_P(LineEnds, JudgeTheReplyOnItsLine)
{
    const Judgement &expected = GetParam();
    Reply reply = ParseBestShot(expected.received);
    ASSERT_EQ(reply.status, expected.status) << reply.problem;
    EXPECT_EQ(reply.text, expected.text);
    if (expected.status == ReplyStatus::Complete) {
        EXPECT_EQ(reply.consumed, expected.consumed);
    }
    EXPECT_NE(reply.problem.find(expected.problem), std::string::npos) << reply.problem;
}

INSTANTIATE_TEST_SUITE_P(
    ReplyParser, LineEnds,
    testing::Values(Judgement{"BESTSHOT 1 -2 0\n", ReplyStatus::Complete, "BESTSHOT 1 -2 0", 16, ""},
                    Judgement{"  bestshot 1 -2 0 \r\nBESTSHOT", ReplyStatus::Complete, "bestshot 1 -2 0", 20, ""},
                    Judgement{"\n\nBESTSHOT 1 -2 0\t", ReplyStatus::Complete, "BESTSHOT 1 -2 0", 18, ""},
                    // A whole reply without a line end: what follows later is the next reply's.
                    Judgement{"BESTSHOT 1 -2 0\r", ReplyStatus::Complete, "BESTSHOT 1 -2 0", 16, ""},
                    Judgement{"BESTSHOT 1 -2 1\nBESTSHOT 3", ReplyStatus::Complete, "BESTSHOT 1 -2 1", 16, ""},
                    // A partial reply forfeits at its line feed, naming what is missing.
                    Judgement{"BESTSHOT 0.08 -2.13\n", ReplyStatus::Malformed, "BESTSHOT 0.08 -2.13", 0,
                              "ends before the spin"},
                    Judgement{"BESTSHOT 0.08\r\n", ReplyStatus::Malformed, "BESTSHOT 0.08", 0, "ends before vy"},
                    Judgement{"BESTSHOT\n", ReplyStatus::Malformed, "BESTSHOT", 0, "ends before vx"},
                    Judgement{"BEST\n", ReplyStatus::Malformed, "BEST", 0, "not a BESTSHOT reply"},
                    Judgement{"BESTSHOT 0.08\n-2.13 0", ReplyStatus::Malformed, "BESTSHOT 0.08", 0, "ends before vy"},
                    // Words after a reply on its line are that reply's fault.
                    Judgement{"BESTSHOT 1 -2 0 thinking\n", ReplyStatus::Malformed, "BESTSHOT 1 -2 0 thinking", 0,
                              "\"thinking\" follows the reply"},
                    Judgement{"BESTSHOT 1 -2 0 x", ReplyStatus::Malformed, "BESTSHOT 1 -2 0 x", 0, "follows the reply"},
                    Judgement{"BESTSHOT 1 -2 01", ReplyStatus::Malformed, "BESTSHOT 1 -2 01", 0, "spin \"01\""},
                    // A bad number is judged as soon as it is whole.
                    Judgement{"BESTSHOT abc ", ReplyStatus::Malformed, "BESTSHOT abc", 0, "\"abc\" is not a number"}));

TEST(ReplyParser, RejectsWhatIsNoWellFormedShot)
{
    const char *bad[] = {
        "HELLO",             // no keyword
        "BESTSHOTX 1 2 0",   // keyword not a whole token
        "READYOK",           // the wrong reply
        "BESTSHOT nan 2 0",  // not finite
        "BESTSHOT 1 inf 0",
        "BESTSHOT 1e39 2 0",  // finite as a double, not as a float
        "BESTSHOT 1,5 2 0",   // not a number
        "BESTSHOT 1 2 2",     // spin out of range
        "BESTSHOT 1 2 01",
        "BESTSHOT 1 2 1.0",
        "BESTSHOT 1 2 -1",
    };
    for (const char *text : bad)
        EXPECT_EQ(ParseBestShot(text).status, ReplyStatus::Malformed) << text;
    EXPECT_NE(ParseBestShot("BESTSHOT nan 2 0").problem.find("not a finite number"), std::string::npos);
    EXPECT_NE(ParseBestShot("BESTSHOT 1 2 2").problem.find("neither 0 nor 1"), std::string::npos);
}

// The kind of fault, which the engine check turns into advice.
TEST(ReplyParser, EveryMalformedReplyNamesItsKindOfFault)
{
    struct Case {
        std::string received;
        Reply (*parse)(std::string_view);
        ReplyFault fault;
    };
    for (const Case &bad :
         {Case{"HELLO THERE", ParseBestShot, ReplyFault::NotTheReply},
          Case{"READY OK", ParseReadyOk, ReplyFault::NotTheReply},
          Case{"BESTSHOT 0.08 -2.13\n", ParseBestShot, ReplyFault::LineEndsEarly},
          Case{"BESTSHOT 1 -2 0 thinking", ParseBestShot, ReplyFault::WordsAfter},
          Case{"READYOK now", ParseReadyOk, ReplyFault::WordsAfter},
          Case{"BESTSHOT nan 2 0", ParseBestShot, ReplyFault::BadNumber},
          Case{"BESTSHOT 1 2 2", ParseBestShot, ReplyFault::BadSpin},
          Case{"BESTSHOT " + std::string(MAX_REPLY_BYTES, '1'), ParseBestShot, ReplyFault::TooLong}}) {
        Reply reply = bad.parse(bad.received);
        EXPECT_EQ(reply.status, ReplyStatus::Malformed) << bad.received;
        EXPECT_EQ(reply.fault, bad.fault) << bad.received;
    }
    EXPECT_EQ(ParseBestShot("BESTSHOT 1 -2 0").fault, ReplyFault::None);
    EXPECT_EQ(ParseBestShot("BESTSHOT 1").fault, ReplyFault::None);
}

TEST(ReplyParser, AnEndlessStreamIsCutOff)
{
    EXPECT_EQ(ParseBestShot("BESTSHOT " + std::string(MAX_REPLY_BYTES, '1')).status, ReplyStatus::Malformed);
    EXPECT_EQ(ParseBestShot(std::string(MAX_REPLY_BYTES + 1, ' ')).status, ReplyStatus::Malformed);
    // White space before a keyword still being received counts too.
    const std::string padding(MAX_REPLY_BYTES, ' ');
    EXPECT_EQ(ParseBestShot(padding + "BEST").status, ReplyStatus::Malformed);
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
    EXPECT_EQ(ParseReadyOk("READY\n").status, ReplyStatus::Malformed);
    EXPECT_EQ(ParseReadyOk("READYOK now\n").status, ReplyStatus::Malformed);
    Reply ended = ParseReadyOk("readyok \r\nBESTSHOT");
    EXPECT_EQ(ended.status, ReplyStatus::Complete);
    EXPECT_EQ(ended.consumed, 10u);
    EXPECT_EQ(ended.text, "readyok");
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

}  // namespace
