#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <regex>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "run_program.h"
#include "test_directory.h"

namespace {

using namespace std::chrono_literals;

const std::string RUNNER = PEBBLE_MATCH_PATH;
const std::string ENGINE = SCRIPTED_ENGINE_PATH;

long Count(const std::string &text, const std::string &what)
{
    long count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// The numbers N of the lines "Game N" in a run's output, in order.
std::vector<int> ShownGames(const std::string &out)
{
    std::vector<int> numbers;
    std::regex line("(^|\n)Game ([0-9]+)\n");
    for (auto match = std::sregex_iterator(out.begin(), out.end(), line); match != std::sregex_iterator(); ++match)
        numbers.push_back(std::stoi((*match)[2]));
    return numbers;
}

class Reports : public TestDirectory {};

// One end per game: steady draws to the tee, weak throws short of play, so
// A wins every game and the test accepts H1 after a few pairs while the
// other workers still have games of later pairs in flight.
TEST_F(Reports, AfterTheSprtDecidesNoGameItLeavesOutIsShown)
{
    ProgramRun run =
        RunProgram({RUNNER, "--ends", "1", "--games", "200", "--concurrency", "3", "--sprt", "elo0=0 elo1=50",
                    "--summary-json", Path("summary.json"), ENGINE + " steady", ENGINE + " weak"},
                   120s);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Count(run.err, "the SPRT decided after pair "), 1) << run.err;
    std::smatch decided;
    ASSERT_TRUE(std::regex_search(run.err, decided, std::regex("decided after pair ([0-9]+);")));
    int pairs = std::stoi(decided[1]);
    // The two games of a pair may show in either order, but no game past the decision shows.
    std::vector<int> shown = ShownGames(run.out);
    std::sort(shown.begin(), shown.end());
    std::vector<int> counted(static_cast<std::size_t>(2 * pairs));
    std::iota(counted.begin(), counted.end(), 1);
    EXPECT_EQ(shown, counted) << run.out;
    EXPECT_EQ(Count(run.err, " of 200: "), 2 * pairs) << "one progress line per game shown";
    EXPECT_NE(run.out.find("after " + std::to_string(2 * pairs) + " games: "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("undecided"), std::string::npos);

    nlohmann::json summary = nlohmann::json::parse(std::ifstream(Path("summary.json")));
    EXPECT_EQ(summary["running"], false);
    EXPECT_EQ(summary["games"], 2 * pairs);
    EXPECT_EQ(summary["complete"], true) << "a test that stopped early misses no game";
    EXPECT_EQ(summary["sprt"]["state"], "H1 accepted");
    EXPECT_EQ(summary["sprt"]["decidedAfterPair"], pairs);
    EXPECT_FALSE(std::filesystem::exists(Path("summary.json.writing")));
}

TEST_F(Reports, ARoundRobinPrintsStandingsAsItGoesAndACrosstableAtTheEnd)
{
    ProgramRun run = RunProgram({RUNNER, "--ends", "1", "--games", "2", "--rating-interval", "2",
                                 "name=drawer " + ENGINE + " steady", "name=weak " + ENGINE + " weak",
                                 "name=other " + ENGINE + " steady"},
                                60s);
    ASSERT_EQ(run.status, 0) << run.err;
    for (int games : {2, 4, 6})
        EXPECT_NE(run.err.find("Standings after " + std::to_string(games) + " of 6 games:\nRank  Engine"),
                  std::string::npos)
            << run.err;
    EXPECT_EQ(Count(run.err, "Standings after "), 3);
    std::size_t crosstable = run.out.find("\nCrosstable (");
    ASSERT_NE(crosstable, std::string::npos) << run.out;
    EXPECT_LT(run.out.find("Rank  Engine"), crosstable);
    EXPECT_LT(crosstable, run.out.find("\nEnds ("));
    std::regex weakRow("\nweak +[0-2]-[0-2]-[0-2] [0-9.]+% +[0-2]-[0-2]-[0-2] [0-9.]+% +x\n");
    EXPECT_TRUE(std::regex_search(run.out, weakRow)) << run.out;

    // Two engines: the result lines of the summary.
    ProgramRun two = RunProgram(
        {RUNNER, "--ends", "1", "--games", "3", "--rating-interval", "3", ENGINE + " steady", ENGINE + " weak"}, 60s);
    ASSERT_EQ(two.status, 0) << two.err;
    EXPECT_NE(two.err.find("Standings after 3 of 3 games:\nA scripted_engine vs B scripted_engine-2 after 3 games: "),
              std::string::npos)
        << two.err;
}

// Records of shard 1/3 and 2/3 of a 12-game match, the second's last line cut.
TEST_F(Reports, ASummaryOfAnIncompleteSetSaysWhatIsMissing)
{
    for (const char *shard : {"1/3", "2/3"}) {
        std::string record = Path(std::string("shard") + shard[0] + ".jsonl");
        ProgramRun run = RunProgram({RUNNER, "--ends", "1", "--games", "12", "--shard", shard, "--record", record,
                                     ENGINE + " steady", ENGINE + " weak"},
                                    60s);
        ASSERT_EQ(run.status, 0) << run.err;
    }
    std::filesystem::resize_file(Path("shard2.jsonl"), std::filesystem::file_size(Path("shard2.jsonl")) - 10);

    ProgramRun text = RunProgram({RUNNER, "--summary", Path("shard1.jsonl"), Path("shard2.jsonl")}, 30s);
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out.rfind("Incomplete: 5 of 12 games are missing\n"
                             "  shard 2/3: 1 of 4 games missing\n"
                             "  shard 3/3: not given (4 games)\n"
                             "  " +
                                 Path("shard2.jsonl") + ": the last line was cut short; its game is missing\n\n",
                             0),
              0u)
        << text.out;
    EXPECT_NE(text.out.find("after 7 games: 7 wins"), std::string::npos) << text.out;

    ProgramRun json = RunProgram({RUNNER, "--summary", Path("shard2.jsonl"), Path("shard1.jsonl"), "--json"}, 30s);
    ASSERT_EQ(json.status, 0) << json.err;
    nlohmann::json summary = nlohmann::json::parse(json.out);
    EXPECT_EQ(summary["complete"], false);
    EXPECT_EQ(summary["missing"]["games"], 5);
    EXPECT_EQ(summary["missing"]["shards"][2]["given"], false);
    EXPECT_EQ(summary["missing"]["tornRecords"], nlohmann::json({Path("shard2.jsonl")}));
    EXPECT_EQ(summary["result"]["wins"], 7);
}

TEST_F(Reports, UnclearOptionsAreRefused)
{
    struct Refused {
        std::vector<std::string> arguments;
        const char *message;
    };
    for (const Refused &refused : {
             Refused{{"--sprt", ""}, "--sprt: the test is empty"},
             Refused{{"--sprt", "elo0=0 elo1=5 elo1=10"}, "--sprt: elo1 is given twice"},
             Refused{{"--anchor", "pebble"}, "--anchor needs three or more engines"},
             Refused{{"--json"}, "--json requires --summary"},
             Refused{{"--rating-interval", "0"}, "--rating-interval"},
         }) {
        std::vector<std::string> arguments{RUNNER};
        arguments.insert(arguments.end(), refused.arguments.begin(), refused.arguments.end());
        ProgramRun run = RunProgram(arguments, 30s);
        EXPECT_EQ(run.status, 2) << refused.message;
        EXPECT_NE(run.err.find(refused.message), std::string::npos) << run.err;
    }
}

}  // namespace
