#include <gtest/gtest.h>

#include <cmath>

#include "statistics/elo.h"
#include "statistics/sprt.h"
#include "summary/coverage.h"
#include "summary/match_summary.h"
#include "summary/summary_text.h"

using namespace match::game;
using namespace match::setup;
using namespace match::statistics;
using namespace match::summary;

namespace {

TEST(Elo, EvenScoreIsNoDifference)
{
    EloEstimate even = EstimateElo(5, 5, 0);
    EXPECT_DOUBLE_EQ(even.elo, 0.0);
    EXPECT_NEAR(even.upper, -even.lower, 1e-9);
    // Four draws prove no equality: a draw has chance t = .025^(1/4) or more,
    // so the score lies from t / 2 to t / 2 + 1 - t.
    EloEstimate drawn = EstimateElo(0, 0, 4);
    EXPECT_NEAR(drawn.lower, EloFromScore(std::pow(0.025, 0.25) / 2), 1e-9);
    EXPECT_NEAR(drawn.upper, -drawn.lower, 1e-9);
    EXPECT_EQ(FormatElo(drawn), "Elo difference: +0.0 +/- 242.1 (95%)");
    // A fitted rating a rounding error below zero.
    EXPECT_EQ(SignedElo(-1e-12), "+0.0");
    EXPECT_EQ(SignedElo(-0.04), "+0.0");
}

TEST(Elo, IntervalComesFromTheScoreAndItsStandardError)
{
    // 60 wins, 30 losses, 10 draws: score 0.65, per-game variance 0.2025.
    EloEstimate estimate = EstimateElo(60, 30, 10);
    EXPECT_NEAR(estimate.elo, -400.0 * std::log10(1.0 / 0.65 - 1.0), 1e-9);
    double margin = 1.959963984540054 * std::sqrt(0.2025 / 100.0);
    EXPECT_NEAR(estimate.lower, EloFromScore(0.65 - margin), 1e-9);
    EXPECT_NEAR(estimate.upper, EloFromScore(0.65 + margin), 1e-9);
    EXPECT_NEAR(estimate.elo, 107.5, 0.1);
    EXPECT_LT(estimate.lower, estimate.elo);
    EXPECT_GT(estimate.upper, estimate.elo);
    EXPECT_EQ(FormatElo(estimate).rfind("Elo difference: +107.5 +/- ", 0), 0u);
}

TEST(Elo, OneSidedResultsGiveABoundInsteadOfInfinity)
{
    EloEstimate won = EstimateElo(10, 0, 0);
    EXPECT_TRUE(std::isinf(won.elo) && won.elo > 0);
    EXPECT_NEAR(won.lower, EloFromScore(std::pow(0.025, 0.1)), 1e-9);
    EXPECT_EQ(FormatElo(won), "Elo difference: +inf (every game won; at least +140.2 at 95% confidence)");

    EloEstimate lost = EstimateElo(0, 10, 0);
    EXPECT_NEAR(lost.upper, -won.lower, 1e-9);
    EXPECT_NE(FormatElo(lost).find("every game lost; at most -140.2"), std::string::npos);

    // Three wins in four: the upper end of the interval passes a score of 1.
    EloEstimate mostly = EstimateElo(3, 1, 0);
    EXPECT_TRUE(std::isinf(mostly.upper));
    EXPECT_NE(FormatElo(mostly).find("95% interval"), std::string::npos);
}

TEST(MatchSummary, CountsFromEngineAsSide)
{
    MatchTally tally;
    MatchSetup setup;
    setup.engines = {{"pebble", "pebble"}, {"other", "other"}};
    std::vector<GameRecord> games;
    GameRecord won;
    won.winner = Side::A;
    won.totals = {5, 3};
    GameRecord lost;
    lost.winner = Side::B;
    lost.totals = {2, 6};
    GameRecord drawn;
    drawn.totals = {4, 4};
    for (const GameRecord *game : {&won, &lost, &drawn, &won}) {
        tally.Add(*game);
        games.push_back(*game);
    }
    EXPECT_EQ(tally.wins, 2);
    EXPECT_EQ(tally.losses, 1);
    EXPECT_EQ(tally.draws, 1);
    EXPECT_EQ(tally.pointsFor, 16);
    EXPECT_EQ(tally.pointsAgainst, 16);
    EXPECT_EQ(ProgressLine(setup, games, 10), "game 4 of 10: 2-1-1 (W-L-D for A pebble)");
    std::string summary = SummaryText(SummariseMatch(setup, games, RunCoverage(setup, games)));
    EXPECT_NE(summary.find("after 4 games: 2 wins, 1 loss, 1 draw; points for 16, against 16"), std::string::npos)
        << summary;
    EXPECT_NE(summary.find("Elo difference: "), std::string::npos);
}

TEST(MatchSummary, TheSprtStopsAtThePairWhereItDecides)
{
    MatchSetup setup;
    setup.engines = {{"a", "a"}, {"b", "b"}};
    setup.games = 100;
    setup.sprt = "elo0=0 elo1=50";
    std::string error;
    setup.sprtTest = ParseSprt(setup.sprt, error);
    // A wins every game: the test accepts H1 at the 23rd pair.
    std::vector<GameRecord> games;
    for (int number = 60; number >= 1; --number) {
        GameRecord game;
        game.number = number;
        game.pair = (number + 1) / 2;
        game.winner = Side::A;
        games.push_back(game);
    }
    EXPECT_EQ(SprtDecisionPair(setup, games), 23);
    std::vector<GameRecord> summarised = SummarisedGames(setup, games);
    ASSERT_EQ(summarised.size(), 46u);
    EXPECT_EQ(summarised.back().number, 46);
    EXPECT_NE(SummaryText(SummariseMatch(setup, summarised, RunCoverage(setup, summarised))).find(", H1 accepted\n"),
              std::string::npos);
    EXPECT_NE(ProgressLine(setup, summarised, 100).find(", H1 accepted"), std::string::npos);

    games.erase(games.begin() + 20);  // game 40, of pair 20
    EXPECT_FALSE(SprtDecisionPair(setup, games).has_value()) << "a pair counts once all its games are in";
}

}  // namespace
