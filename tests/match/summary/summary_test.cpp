#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "schedule/game_schedule.h"
#include "summary/coverage.h"
#include "summary/match_summary.h"
#include "summary/summary_json.h"
#include "summary/summary_text.h"

using namespace match::game;
using namespace match::schedule;
using namespace match::setup;
using namespace match::statistics;
using namespace match::summary;

namespace {

MatchSetup TwoEngineSetup(int games, const std::string &sprt)
{
    MatchSetup setup;
    setup.engines = {{"a", "a"}, {"b", "b"}};
    setup.games = games;
    setup.sprt = sprt;
    std::string error;
    if (!sprt.empty())
        setup.sprtTest = ParseSprt(sprt, error);
    return setup;
}

// The scheduled games, each won by A where wonByA says so, else by B.
std::vector<GameRecord> Played(const MatchSetup &setup, const std::function<bool(int number)> &wonByA)
{
    std::vector<GameRecord> games;
    for (const ScheduledGame &scheduled : MatchSchedule(setup)) {
        GameRecord game;
        game.number = scheduled.number;
        game.pair = scheduled.pair;
        game.players = scheduled.players;
        game.winner = wonByA(scheduled.number) ? Side::A : Side::B;
        game.totals = wonByA(scheduled.number) ? PerSide<int>{2, 1} : PerSide<int>{1, 2};
        games.push_back(game);
    }
    return games;
}

TEST(Coverage, SaysWhichShardsAndHowManyGamesAreMissing)
{
    // 12 games in 6 pairs over 3 shards: shard 1 holds pairs 1 and 4, games 1, 2, 7, 8.
    MatchSetup setup = TwoEngineSetup(12, "");
    std::vector<GameRecord> games = Played(setup, [](int number) { return number % 3 != 0; });
    std::erase_if(games, [](const GameRecord &game) { return (game.pair - 1) % 3 == 2 || game.number == 8; });
    Coverage coverage = RecordsCoverage(setup, games, 3, {1, 2}, {"one.jsonl"});
    EXPECT_EQ(coverage.scheduled, 12);
    EXPECT_EQ(coverage.missing, 5);
    ASSERT_EQ(coverage.shards.size(), 3u);
    EXPECT_EQ(coverage.shards[0].missing, 1);
    EXPECT_TRUE(coverage.shards[1].given);
    EXPECT_EQ(coverage.shards[1].missing, 0);
    EXPECT_FALSE(coverage.shards[2].given);
    EXPECT_EQ(coverage.shards[2].scheduled, 4);

    std::string text = SummaryText(SummariseMatch(setup, games, coverage));
    EXPECT_EQ(text.substr(0, text.find("\n\n") + 2), "Incomplete: 5 of 12 games are missing\n"
                                                     "  shard 1/3: 1 of 4 games missing\n"
                                                     "  shard 3/3: not given (4 games)\n"
                                                     "  one.jsonl: the last line was cut short; its game is missing\n"
                                                     "\n");
    EXPECT_NE(text.find("after 7 games: "), std::string::npos) << text;

    // A whole record cut short: no shard lines.
    games = Played(setup, [](int) { return true; });
    games.resize(5);
    text = SummaryText(SummariseMatch(setup, games, RecordsCoverage(setup, games, 1, {1}, {})));
    EXPECT_EQ(text.rfind("Incomplete: 7 of 12 games are missing\n\nA a vs B b after 5 games", 0), 0u) << text;
}

TEST(Coverage, AnSprtThatStoppedEarlyMissesNothingAndOneAtTheCapSaysSo)
{
    // A wins every game: the test accepts H1 at pair 23, so games 47-100 are not missing.
    MatchSetup setup = TwoEngineSetup(100, "elo0=0 elo1=50");
    std::vector<GameRecord> games = SummarisedGames(setup, Played(setup, [](int) { return true; }));
    ASSERT_EQ(games.size(), 46u);
    MatchSummary decided = SummariseMatch(setup, games, RecordsCoverage(setup, games, 1, {1}, {}));
    EXPECT_TRUE(decided.coverage.Complete());
    EXPECT_EQ(decided.coverage.scheduled, 46);
    ASSERT_TRUE(decided.two && decided.two->sprt);
    EXPECT_EQ(decided.two->sprt->decidedAfterPair, 23);
    EXPECT_FALSE(decided.two->sprt->undecidedAtCap);
    EXPECT_EQ(SummaryText(decided).find("Incomplete"), std::string::npos);
    EXPECT_EQ(SummaryText(decided).find("undecided"), std::string::npos);

    // Pairs split 1-1 over a cap of 8 games: the test never decides.
    setup = TwoEngineSetup(8, "elo0=0 elo1=50");
    games = Played(setup, [](int number) { return number % 2 == 1; });
    MatchSummary capped = SummariseMatch(setup, games, RunCoverage(setup, games));
    ASSERT_TRUE(capped.two->sprt->undecidedAtCap);
    EXPECT_NE(SummaryText(capped).find("\nSPRT elo0=0 elo1=50: LLR -0.61 (-2.94, 2.94), continue\n"
                                       "The SPRT ended undecided at the cap of 8 games: LLR -0.61 lies between the "
                                       "bounds -2.94 (accept H0) and 2.94 (accept H1)\n"),
              std::string::npos)
        << SummaryText(capped);
    // Short of the cap it merely goes on.
    games.pop_back();
    MatchSummary running = SummariseMatch(setup, games, RunCoverage(setup, games));
    EXPECT_FALSE(running.two->sprt->undecidedAtCap);
    EXPECT_EQ(running.coverage.missing, 1);
}

TEST(SummaryJson, HoldsTheFiguresOfTheText)
{
    MatchSetup setup = TwoEngineSetup(8, "elo0=0 elo1=50");
    std::vector<GameRecord> games = Played(setup, [](int number) { return number % 2 == 1; });
    nlohmann::json two = SummaryJson(SummariseMatch(setup, games, RunCoverage(setup, games)), false);
    EXPECT_EQ(two["running"], false);
    EXPECT_EQ(two["games"], 8);
    EXPECT_EQ(two["complete"], true);
    EXPECT_EQ(two["result"],
              nlohmann::json({{"wins", 4}, {"losses", 4}, {"draws", 0}, {"pointsFor", 12}, {"pointsAgainst", 12}}));
    EXPECT_EQ(two["pairs"]["scores"], nlohmann::json({0, 0, 4, 0, 0}));
    // Every pair alike: the interval is the exact bound, finite on both sides.
    EXPECT_DOUBLE_EQ(two["elo"]["elo"].get<double>(), 0.0);
    EXPECT_EQ(two["sprt"]["state"], "undecided at the cap");
    EXPECT_NEAR(two["sprt"]["upperBound"].get<double>(), std::log(0.95 / 0.05), 1e-12);
    EXPECT_TRUE(two["ratings"].is_null() && two["crosstable"].is_null());

    // Three engines, A sweeping: ratings with the prior noted, an open upper end as null.
    MatchSetup three;
    three.engines = {{"a", "a"}, {"b", "b"}, {"c", "c"}};
    three.games = 2;
    games = Played(three, [](int) { return true; });
    games.pop_back();
    nlohmann::json more = SummaryJson(SummariseMatch(three, games, RunCoverage(three, games)), true);
    EXPECT_EQ(more["running"], true);
    EXPECT_EQ(more["missing"]["games"], 1);
    EXPECT_EQ(more["missing"]["scheduled"], 6);
    EXPECT_TRUE(more["result"].is_null() && more["sprt"].is_null());
    EXPECT_EQ(more["ratings"]["priorAdded"], true);
    const nlohmann::json &best = more["ratings"]["table"][0];
    EXPECT_EQ(best["engine"], "a");
    EXPECT_DOUBLE_EQ(best["score"].get<double>(), 100.0);
    EXPECT_TRUE(best["upper"].is_null());
    EXPECT_TRUE(best["lower"].is_number());
    ASSERT_EQ(more["crosstable"].size(), 3u);
    EXPECT_EQ(more["crosstable"][2],
              nlohmann::json({{"engines", {"b", "c"}}, {"wins", 1}, {"losses", 0}, {"draws", 0}, {"score", 100.0}}));
}

}  // namespace
