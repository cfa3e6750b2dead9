#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "game/game_flow.h"
#include "record/record_file.h"
#include "record/record_json.h"
#include "schedule/game_schedule.h"
#include "setup/positions_file.h"
#include "summary/match_summary.h"
#include "test_directory.h"

using namespace match;
using game::GameStart;
using game::Side;
using game::StartPosition;
using setup::PositionsFromText;

namespace {

// A good line of end 6 at shot 2: stone 0 on the tee, stone 1 a guard.
std::string GoodLine(const std::string &replace = "", const std::string &with = "")
{
    std::string line = R"({"name": "a guard", "end": 6, "shot": 2, "score": [3, 4], "hammer": 1, "stones": )"
                       R"([[2.375, 4.88], [2.4, 7.5], [0, 0], [0, 0], [0, 0], [0, 0], [0, 0], [0, 0], )"
                       R"([0, 0], [0, 0], [0, 0], [0, 0], [0, 0], [0, 0], [0, 0], [0, 0]]})";
    if (!replace.empty())
        line.replace(line.find(replace), replace.size(), with);
    return line;
}

std::string Fault(const std::string &text, int ends = 8)
{
    std::vector<StartPosition> positions;
    return PositionsFromText(text, ends, positions);
}

TEST(PositionsFile, EachFaultIsNamedWithItsLine)
{
    const std::string good = GoodLine() + "\n";
    struct Case {
        std::string line;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"{\"end\": 6,", "not JSON"},
        {"[1, 2]", "not a JSON object"},
        {GoodLine("\"hammer\": 1, ", ""), "the field \"hammer\" is missing"},
        {GoodLine("\"hammer\"", "\"hamer\""), "unknown field \"hamer\""},
        {GoodLine("[2.4, 7.5]", "[2.4, \"7.5\"]"), "stone 1's y is \"7.5\", not a number"},
        {GoodLine("[2.4, 7.5], ", ""), "stones holds 15 stones, not 16"},
        {GoodLine("[2.4, 7.5]", "[4.7, 7.5]"), "stone 1 at (4.7, 7.5) is outside the sheet"},
        {GoodLine("[2.4, 7.5]", "[2.5, 4.9]"), "stone 1 at (2.5, 4.9) overlaps stone 0 at (2.375, 4.88)"},
        {GoodLine("[2.4, 7.5], [0, 0]", "[2.4, 7.5], [1.5, 6]"), "stone 2 lies at (1.5, 6) but is not thrown yet"},
        {GoodLine("\"shot\": 2", "\"shot\": 16"), "shot is 16, not from 0 to 15"},
        {GoodLine("\"end\": 6", "\"end\": 8"), "end 8 is at or beyond the game's 8 regular ends"},
        {GoodLine("[3, 4]", "[3, -1]"), "the score of side 1 is negative"},
        {GoodLine("\"hammer\": 1", "\"hammer\": 2"), "hammer is 2, not from 0 to 1"},
        {GoodLine("\"end\": 6", "\"end\": 6.5"), "end is 6.5, not a whole number"},
    };
    for (const Case &bad : cases)
        EXPECT_EQ(Fault(good + "\n" + bad.line + "\n" + good).substr(0, 8 + bad.message.size()),
                  "line 3: " + bad.message)
            << bad.line;
    EXPECT_EQ(Fault(""), "holds no position");
    EXPECT_EQ(Fault("\n  \n"), "holds no position");
    EXPECT_EQ(Fault(good, 6), "line 1: end 6 is at or beyond the game's 6 regular ends (--ends; ends count from 0)");
}

TEST(PositionsFile, ReadsEveryFieldAndNamesAPositionByItsLineByDefault)
{
    std::vector<StartPosition> positions;
    ASSERT_EQ(PositionsFromText(GoodLine() + "\n\n" + GoodLine("\"name\": \"a guard\", ", "") + "\n", 8, positions),
              "");
    ASSERT_EQ(positions.size(), 2u);
    EXPECT_EQ(positions[0].name, "a guard");
    EXPECT_EQ(positions[1].name, "line 3");
    EXPECT_EQ(positions[1].line, 3);
    EXPECT_EQ(positions[0].end, 6);
    EXPECT_EQ(positions[0].shot, 2);
    EXPECT_EQ(positions[0].score, (std::array<int, 2>{3, 4}));
    EXPECT_EQ(positions[0].hammer, 1);
    EXPECT_EQ(positions[0].stones[1][1], 7.5f);
    // Touching stones written with a few digits may overlap by a rounding.
    EXPECT_EQ(Fault(GoodLine("[2.4, 7.5]", "[2.375, 4.5905]")), "");
}

class PositionsFileOnDisk : public TestDirectory {};

TEST_F(PositionsFileOnDisk, TheFileIsNamedAndItsContentTellsItApart)
{
    std::string error;
    EXPECT_FALSE(setup::ReadPositionsFile(Path("none.jsonl"), 8, error));
    EXPECT_NE(error.find(Path("none.jsonl")), std::string::npos) << error;

    std::ofstream(Path("bad.jsonl")) << GoodLine() << "\n{\n";
    EXPECT_FALSE(setup::ReadPositionsFile(Path("bad.jsonl"), 8, error));
    EXPECT_EQ(error, "the positions file " + Path("bad.jsonl") + " line 2: not JSON");

    std::ofstream(Path("one.jsonl")) << GoodLine() << "\n";
    std::ofstream(Path("two.jsonl")) << GoodLine("[3, 4]", "[3, 5]") << "\n";
    auto one = setup::ReadPositionsFile(Path("one.jsonl"), 8, error);
    auto two = setup::ReadPositionsFile(Path("two.jsonl"), 8, error);
    ASSERT_TRUE(one && two) << error;
    EXPECT_EQ(one->count, 1);
    EXPECT_EQ(one->sha256.size(), 64u);
    EXPECT_NE(one->sha256, two->sha256);
}

TEST(PositionsFile, TheShippedSetsAreValid)
{
    for (const auto &[file, least, most] :
         {std::tuple{"last_end.jsonl", 12, 20}, std::tuple{"early_ends.jsonl", 40, 60}}) {
        std::string error;
        auto set = setup::ReadPositionsFile(std::string(POSITIONS_DIR) + "/" + file, 8, error);
        ASSERT_TRUE(set) << error;
        EXPECT_GE(set->count, least) << file;
        EXPECT_LE(set->count, most) << file;
        for (const StartPosition &position : set->positions)
            EXPECT_NE(position.name, "line " + std::to_string(position.line)) << file << " names its positions";
    }
}

setup::MatchSetup SetupWithPositions(int count)
{
    setup::MatchSetup setup;
    setup.engines = {{"a", "a"}, {"b", "b"}, {"c", "c"}};
    setup.games = 4;
    setup.positions = setup::PositionSet{"p.jsonl", "00", count, {}};
    for (int k = 0; k < count; ++k) {
        StartPosition position;
        position.line = k + 1;
        position.hammer = k % 2;
        position.score = {k, 0};
        setup.positions->positions.push_back(position);
    }
    return setup;
}

TEST(PositionsSchedule, PairsCycleThroughThePositionsAndSwapTheSides)
{
    std::vector<schedule::ScheduledGame> games = schedule::MatchSchedule(SetupWithPositions(5));
    ASSERT_EQ(games.size(), 12u);  // three pairings of two pairs
    for (const schedule::ScheduledGame &game : games) {
        ASSERT_TRUE(game.start);
        EXPECT_EQ(game.start->position.line, (game.pair - 1) % 5 + 1) << "game " << game.number;
        const bool first = game.number % 2 == 1;
        EXPECT_EQ(game.start->side0, first ? Side::A : Side::B);
        EXPECT_EQ(game.firstHammer, game.start->Hammer());
    }
    // Position 1 gives side 1 the hammer: B in the pair's first game, A in its second.
    EXPECT_EQ(games[2].firstHammer, Side::B);
    EXPECT_EQ(games[3].firstHammer, Side::A);
    EXPECT_EQ(games[3].start->Points(), (game::PerSide<int>{0, 1}));
}

TEST(PositionsFlow, AGameFromAPositionCountsItsEndsAndPointsOnFromThere)
{
    game::GameFlow flow(8, Side::A, 7, {3, 4});
    EXPECT_EQ(flow.CurrentEnd(), 7);
    EXPECT_FALSE(flow.Finished());
    flow.FinishEnd(1);  // A, with the hammer, ties it
    EXPECT_EQ(flow.Total(Side::A), 4);
    EXPECT_EQ(flow.Total(Side::B), 4);
    EXPECT_FALSE(flow.Finished()) << "tied: an extra end";
    EXPECT_EQ(flow.CurrentEnd(), 8);
    flow.FinishEnd(2);
    EXPECT_TRUE(flow.Finished());
    EXPECT_EQ(flow.Winner(), Side::B);
}

TEST(PositionsRecord, TheStartAndTheHeaderReadBackAndAChangedFileIsAnotherMatch)
{
    game::GameRecord game;
    StartPosition position;
    position.name = "two \"down\"";
    position.line = 9;
    position.end = 7;
    position.shot = 15;
    position.score = {2, 4};
    position.stones[3][0] = 2.1f;
    position.stones[3][1] = 5.3f;
    game.start = GameStart{position, Side::B};
    game::GameRecord back = record::GameFromJson(record::GameToJson(game));
    ASSERT_TRUE(back.start);
    EXPECT_EQ(back.start->position, position);
    EXPECT_EQ(back.start->side0, Side::B);
    EXPECT_FALSE(record::GameFromJson(record::GameToJson(game::GameRecord{})).start);

    setup::MatchSetup setup = SetupWithPositions(3);
    nlohmann::json header = record::HeaderToJson(setup);
    EXPECT_EQ(record::HeaderFromJson(header).positions->count, 3);
    nlohmann::json moved = header;
    moved["positions"]["file"] = "elsewhere/p.jsonl";
    EXPECT_EQ(record::HeaderDifference(header, moved), "") << "the same content under another path";
    nlohmann::json changed = header;
    changed["positions"]["sha256"] = "11";
    EXPECT_EQ(
        record::HeaderDifference(header, changed),
        "the start positions differ: p.jsonl (3 positions, sha256 00) there, p.jsonl (3 positions, sha256 11) here");
    nlohmann::json none = header;
    none.erase("positions");
    EXPECT_NE(record::HeaderDifference(header, none).find("no --positions here"), std::string::npos);
    EXPECT_NE(record::HeaderDifference(none, header).find("no --positions there"), std::string::npos);
}

// Two engines' game of two ends, the first opened by a start position at shot.
game::GameRecord GameFrom(int shot)
{
    game::GameRecord game;
    StartPosition position;
    position.shot = shot;
    game.start = GameStart{position, Side::A};
    for (int index : {0, 1}) {
        game::EndRecord &end = game.ends.emplace_back();
        end.index = index;
        end.complete = true;
        end.points = {1, 0};
    }
    game.winner = Side::A;
    return game;
}

TEST(PositionsSummary, EndEfficienciesCountWholeEndsAndEachPositionHasItsRow)
{
    setup::MatchSetup setup = SetupWithPositions(1);
    setup.engines.pop_back();
    for (const auto &[shot, ends] : {std::pair{0, 2}, std::pair{9, 1}}) {
        game::GameRecord second = GameFrom(shot);
        second.number = 2;
        second.winner = Side::B;
        summary::MatchSummary summary = summary::SummariseMatch(setup, {GameFrom(shot), second}, {});
        EXPECT_EQ(summary.ends[0].ends, 2 * ends) << "a start at shot " << shot;
        ASSERT_TRUE(summary.positions);
        ASSERT_EQ(summary.positions->size(), 1u);
        EXPECT_EQ(summary.positions->front().pairs, 1);
        EXPECT_EQ(summary.positions->front().ScorePercent(), 50.0);
    }
}

}  // namespace
