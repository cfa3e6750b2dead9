#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>

#include "pictures/pictures.h"
#include "pictures/svg_writer.h"
#include "record/record_file.h"
#include "xml_check.h"

using namespace match::game;
using namespace match::pictures;
using namespace match::record;
using namespace match::setup;

namespace {

// A game of one end cut short after three shots: stone 0 (A's, B has the
// hammer) rests on the tee, stone 1 at tee + (0.5, 1.0), stone 2 left play.
GameRecord SmallGame()
{
    GameRecord game;
    game.regularEnds = 8;
    EndRecord end;
    end.index = 0;
    end.hammer = Side::B;
    GameState state{};
    const float rest[3][2] = {{2.375f, 4.88f}, {2.875f, 5.88f}, {0.0f, 0.0f}};
    for (int k = 0; k < 3; ++k) {
        ShotRecord shot;
        shot.shotIndex = k;
        shot.engine = k % 2 == 0 ? Side::A : Side::B;
        state.shotIndex = k;
        state.sideFlag = static_cast<uint8_t>(k % 2);
        shot.sent = state;
        shot.reply = "BESTSHOT 0.1 -2.13 1";
        shot.shot = {0.1f, -2.13f, 1};
        shot.seed = 1000u + static_cast<uint32_t>(k);
        state.stones[k][0] = rest[k][0];
        state.stones[k][1] = rest[k][1];
        state.shotIndex = k + 1;
        shot.resting = state;
        shot.played = true;
        shot.trace.paths = {{k, 0.0f, 20.0f, false, {{2.375f, 33.227f}, {2.6f, 20.0f}, {rest[k][0], rest[k][1]}}}};
        end.shots.push_back(shot);
    }
    ShotRecord forfeited;
    forfeited.shotIndex = 3;
    forfeited.engine = Side::B;
    forfeited.sent = state;
    forfeited.reply = "BESTSHOT nan 1 0";
    end.shots.push_back(forfeited);
    game.ends.push_back(end);
    game.forfeit = Forfeit{Side::B, "answered \"BESTSHOT nan 1 0\""};
    game.winner = Side::A;
    return game;
}

MatchRecord SmallMatch()
{
    MatchRecord record;
    record.engines = {"./a --x", "b"};
    record.seed = 18446744073709551615ULL;
    record.error = 0.145f;
    record.games.push_back(SmallGame());
    return record;
}

TEST(Record, RoundTripsEveryShotBitForBit)
{
    MatchRecord back = RecordFromJson(nlohmann::json::parse(RecordToJson(SmallMatch()).dump()));
    EXPECT_EQ(back.engines[0], "./a --x");
    EXPECT_EQ(back.seed, 18446744073709551615ULL);
    EXPECT_EQ(back.error, 0.145f);
    ASSERT_EQ(back.games.size(), 1u);
    const GameRecord &game = back.games[0];
    ASSERT_TRUE(game.forfeit.has_value());
    EXPECT_EQ(game.forfeit->engine, Side::B);
    EXPECT_EQ(game.winner, Side::A);
    ASSERT_EQ(game.ends[0].shots.size(), 4u);
    const ShotRecord &shot = game.ends[0].shots[1];
    GameRecord small = SmallGame();
    const ShotRecord &original = small.ends[0].shots[1];
    EXPECT_EQ(std::memcmp(&shot.resting, &original.resting, sizeof shot.resting), 0);
    EXPECT_EQ(std::memcmp(&shot.sent, &original.sent, sizeof shot.sent), 0);
    EXPECT_EQ(shot.shot.vx, 0.1f);
    EXPECT_EQ(shot.shot.spin, 1);
    EXPECT_EQ(shot.seed, 1001u);
    EXPECT_FALSE(game.ends[0].shots[3].played);
    EXPECT_EQ(game.ends[0].shots[3].reply, "BESTSHOT nan 1 0");
}

TEST(Record, ReplyBytesThatAreNoUtf8AreWrittenAsReplacementCharacters)
{
    GameRecord game = SmallGame();
    game.ends[0].shots[3].reply = "BEST\xffSHOT";
    std::string path = testing::TempDir() + "not-utf8.jsonl";
    MatchSetup setup;
    setup.engines = {{"a", "./a \xfe"}, {"b", "b"}};
    RecordWriter(path, HeaderToJson(setup)).Write(game);
    EXPECT_EQ(ReadRecordFile(path).games[0].ends[0].shots[3].reply, "BEST\xEF\xBF\xBDSHOT");
}

TEST(Record, RefusesGamesOfEnginesTheHeaderDoesNotList)
{
    MatchSetup setup;
    setup.engines = {{"a", "a"}, {"b", "b"}};
    for (PerSide<int> players : {PerSide<int>{0, 2}, PerSide<int>{-1, 1}, PerSide<int>{1, 1}}) {
        GameRecord game = SmallGame();
        game.players = players;
        std::string path = testing::TempDir() + "players.jsonl";
        RecordWriter(path, HeaderToJson(setup)).Write(game);
        EXPECT_THROW(ReadRecordFile(path), RecordError) << players[0] << " against " << players[1];
    }
}

TEST(Record, TheHeaderKeepsTheSprtTextAndReadsItBackAsItsTest)
{
    MatchSetup setup;
    setup.engines = {{"a", "a"}, {"b", "b"}};
    setup.sprt = " elo1=50\telo0=-5 ";
    nlohmann::json header = HeaderToJson(setup);
    EXPECT_EQ(header.at("sprt"), " elo1=50\telo0=-5 ") << "written as given, so that --resume compares the text";
    MatchSetup back = HeaderFromJson(header);
    EXPECT_EQ(back.sprt, setup.sprt);
    ASSERT_TRUE(back.sprtTest.has_value());
    EXPECT_EQ(back.sprtTest->elo0, -5.0);
    EXPECT_EQ(back.sprtTest->elo1, 50.0);
    EXPECT_FALSE(HeaderFromJson(HeaderToJson(MatchSetup{})).sprtTest.has_value());

    header["sprt"] = "elo0=50 elo1=0";
    try {
        HeaderFromJson(header);
        ADD_FAILURE() << "a header whose SPRT is no test was read";
    } catch (const RecordError &error) {
        EXPECT_EQ(std::string(error.what()),
                  "the header's sprt \"elo0=50 elo1=0\" is no test: elo1 must be greater than elo0");
    }
}

TEST(Record, RefusesWhatIsNoRecord)
{
    EXPECT_THROW(RecordFromJson(nlohmann::json::parse("[1, 2]")), RecordError);
    EXPECT_THROW(RecordFromJson(nlohmann::json::parse(R"({"format": "something else"})")), RecordError);
    nlohmann::json broken = RecordToJson(SmallMatch());
    broken["games"][0]["ends"][0]["shots"][1]["resting"][3] = "far away";
    EXPECT_THROW(RecordFromJson(broken), RecordError);
    broken = RecordToJson(SmallMatch());
    broken["games"][0]["ends"][0]["shots"][0].erase("engine");
    EXPECT_THROW(RecordFromJson(broken), RecordError);

    std::string path = testing::TempDir() + "garbled.json";
    std::ofstream(path) << "{\"format\": \"pebble-match record\", ";
    EXPECT_THROW(ReadRecordFile(path), RecordError);
    EXPECT_THROW(ReadRecordFile(testing::TempDir() + "no-such-record.json"), RecordError);
}

TEST(SvgWriter, EscapesTextAndAttributes)
{
    EXPECT_EQ(EscapeXml("a<b & \"c\" 'd'>\x01"), "a&lt;b &amp; &quot;c&quot; &apos;d&apos;&gt;?");
    EXPECT_EQ(SvgNumber(1.0), "1");
    EXPECT_EQ(SvgNumber(-0.001), "0");
    EXPECT_EQ(SvgNumber(2.345678), "2.35");
    SvgWriter svg(10, 10);
    svg.Open("g", {{"id", "<&>"}});
    svg.Comment("a -- b");
    svg.Text("text", {}, "x < y");
    XmlDocument document = ReadXml(svg.Finish());
    EXPECT_EQ(document.error, "");
    ASSERT_EQ(document.elements.size(), 3u);
    EXPECT_EQ(document.elements[1].attributes.at("id"), "<&>");
    EXPECT_EQ(document.elements[2].text, "x < y");
}

TEST(XmlCheck, CatchesMalformedDocuments)
{
    EXPECT_NE(ReadXml("<a><b></a>").error, "");
    EXPECT_NE(ReadXml("<a x=1/>").error, "");
    EXPECT_NE(ReadXml("<a>&nbsp;</a>").error, "");
    EXPECT_NE(ReadXml("<a/><b/>").error, "");
    EXPECT_NE(ReadXml("<a>").error, "");
    EXPECT_EQ(ReadXml("<?xml version=\"1.0\"?>\n<!-- c --><a x=\"1\"><b/>t</a>\n").error, "");
}

double Number(const XmlElement &element, const char *attribute)
{
    return std::stod(element.attributes.at(attribute));
}

TEST(Pictures, EndPictureDrawsStonesWhereTheirCoordinatesSay)
{
    GameRecord game = SmallGame();
    XmlDocument document = ReadXml(EndPicture(game, game.ends[0], {"alpha <1>", "beta & co"}));
    ASSERT_EQ(document.error, "");

    std::vector<const XmlElement *> rings;
    std::map<std::string, const XmlElement *> stones;
    int paths = 0;
    for (const XmlElement &element : document.elements) {
        auto kind = element.attributes.find("class");
        if (kind == element.attributes.end())
            continue;
        if (kind->second == "ring")
            rings.push_back(&element);
        else if (kind->second == "stone")
            stones[element.attributes.at("data-stone")] = &element;
        else if (kind->second == "path")
            ++paths;
    }
    ASSERT_EQ(rings.size(), 4u);
    EXPECT_EQ(paths, 3);
    ASSERT_EQ(stones.size(), 2u) << "the stone that left play is not drawn";

    // The rings are concentric about the tee; the 12-foot ring fixes the scale.
    double teeX = Number(*rings[0], "cx");
    double teeY = Number(*rings[0], "cy");
    double scale = Number(*rings[0], "r") / 1.83;
    EXPECT_NEAR(Number(*rings[3], "r") / scale, 0.15, 0.01);
    EXPECT_NEAR(Number(*stones["0"], "r") / scale, 0.145, 0.01);

    const XmlElement &onTee = *stones["0"];
    EXPECT_NEAR(Number(onTee, "cx"), teeX, 0.01);
    EXPECT_NEAR(Number(onTee, "cy"), teeY, 0.01);
    EXPECT_EQ(onTee.attributes.at("data-engine"), "A");

    // Seen from the thrower: farther from the back line is lower in the
    // picture, greater x is to the left.
    const XmlElement &offTee = *stones["1"];
    EXPECT_NEAR(Number(offTee, "cx"), teeX - 0.5 * scale, 0.02);
    EXPECT_NEAR(Number(offTee, "cy"), teeY + 1.0 * scale, 0.02);
    EXPECT_EQ(offTee.attributes.at("data-engine"), "B");
    EXPECT_NE(onTee.attributes.at("fill"), offTee.attributes.at("fill"));

    bool numbered = false;
    for (const XmlElement &element : document.elements)
        numbered = numbered || (element.name == "text" && element.text == "2");
    EXPECT_TRUE(numbered) << "stone 1 is labelled with its throw number 2";
}

TEST(Pictures, OverviewIsWellFormedAndShowsEveryEnd)
{
    GameRecord game = SmallGame();
    game.ends.push_back(game.ends[0]);
    game.ends[1].index = 1;
    game.ends[0].complete = true;
    game.ends[0].points = {1, 0};
    XmlDocument document = ReadXml(OverviewPicture(game, {"a", "b"}));
    ASSERT_EQ(document.error, "");
    int panels = 0;
    int stones = 0;
    bool scoreShown = false;
    for (const XmlElement &element : document.elements) {
        auto kind = element.attributes.find("class");
        panels += kind != element.attributes.end() && kind->second == "end";
        stones += kind != element.attributes.end() && kind->second == "stone";
        scoreShown = scoreShown || element.text == "A scores 1";
    }
    EXPECT_EQ(panels, 2);
    EXPECT_EQ(stones, 4);
    EXPECT_TRUE(scoreShown);
}

}  // namespace
