#include <gtest/gtest.h>

#include <cmath>

#include "statistics/crosstable.h"
#include "statistics/end_statistics.h"
#include "statistics/pentanomial.h"
#include "statistics/rating_table.h"
#include "statistics/sprt.h"

using namespace match::statistics;

namespace {

bool Garbled(const std::string &text)
{
    return text.find("nan") != std::string::npos || text.find("inf") != std::string::npos;
}

TEST(Pentanomial, IndexIsTwiceThePairScore)
{
    EXPECT_EQ(PentanomialIndex(0.0, 0.0), 0);
    EXPECT_EQ(PentanomialIndex(0.5, 0.0), 1);
    EXPECT_EQ(PentanomialIndex(1.0, 0.0), 2);
    EXPECT_EQ(PentanomialIndex(0.5, 0.5), 2);
    EXPECT_EQ(PentanomialIndex(0.5, 1.0), 3);
    EXPECT_EQ(PentanomialIndex(1.0, 1.0), 4);
}

TEST(Pentanomial, EloAndIntervalFromThePairScores)
{
    // Pairs 0,1,3,4,2 (n = 10) at per-game scores 0, .25, .5, .75, 1:
    // mean (.25 + 3 * .5 + 4 * .75 + 2) / 10 = .675;
    // variance (.425^2 + 3 * .175^2 + 4 * .075^2 + 2 * .325^2) / 10 = .050625;
    // 1.96 * sqrt(.050625 / 10) = .13945, so scores .53555 to .81445;
    // Elo 400 log10(.675 / .325) = 126.97, interval 24.74 to 256.97.
    EloEstimate estimate = PentanomialElo({0, 1, 3, 4, 2});
    EXPECT_NEAR(estimate.elo, 126.968, 1e-3);
    EXPECT_NEAR(estimate.lower, 24.742, 1e-3);
    EXPECT_NEAR(estimate.upper, 256.966, 1e-3);
}

TEST(Pentanomial, DegenerateRecordsGiveBoundsNotNaN)
{
    // Every pair scored 1: no certainty, but a pair score of 1 with chance
    // t = .025^(1/7) or more, so a per-game score from t / 2 to t / 2 + 1 - t.
    EloEstimate drawn = PentanomialElo({0, 0, 7, 0, 0});
    const double t = std::pow(0.025, 1.0 / 7);
    EXPECT_EQ(drawn.elo, 0.0);
    EXPECT_NEAR(drawn.lower, EloFromScore(t / 2), 1e-9);
    EXPECT_NEAR(drawn.upper, -drawn.lower, 1e-9);
    EXPECT_EQ(FormatElo(drawn), "Elo difference: +0.0 +/- 151.2 (95%)");

    // Every pair won: the one-sided bound is the score s with s^8 = 2.5%.
    EloEstimate won = PentanomialElo({0, 0, 0, 0, 8});
    EXPECT_TRUE(std::isinf(won.elo) && won.elo > 0);
    EXPECT_NEAR(won.lower, EloFromScore(std::pow(0.025, 1.0 / 8)), 1e-9);
    EXPECT_TRUE(std::isinf(won.upper));
    EloEstimate lost = PentanomialElo({8, 0, 0, 0, 0});
    EXPECT_NEAR(lost.upper, -won.lower, 1e-9);
    EXPECT_TRUE(std::isinf(lost.lower) && lost.lower < 0);

    // Mean .9375 = 400 log10(15) = +470.4; variance .01171875, so the lower
    // end .9375 - 1.96 * sqrt(.01171875 / 4) = .8314 (+277.2), the upper past 1.
    EloEstimate high = PentanomialElo({0, 0, 0, 1, 3});
    EXPECT_TRUE(std::isfinite(high.elo) && std::isfinite(high.lower) && std::isinf(high.upper));
    EXPECT_EQ(FormatElo(high), "Elo difference: +470.4 (95% interval: +277.2 or more)");

    EloEstimate none = PentanomialElo({0, 0, 0, 0, 0});
    EXPECT_EQ(none.elo, 0.0);
    EXPECT_EQ(FormatElo(none), "Elo difference: n/a (no results)");
}

TEST(Sprt, ParsesGoodInputAndRejectsBad)
{
    std::string error;
    std::optional<SprtTest> plain = ParseSprt("elo0=0 elo1=+50", error);
    ASSERT_TRUE(plain) << error;
    EXPECT_EQ(plain->elo1, 50.0);
    EXPECT_EQ(plain->alpha, 0.05);
    EXPECT_EQ(plain->beta, 0.05);
    std::optional<SprtTest> full = ParseSprt("  beta=0.1\telo1=5 alpha=0.01 elo0=-5 ", error);
    ASSERT_TRUE(full) << error;
    EXPECT_EQ(full->elo0, -5.0);
    EXPECT_EQ(full->alpha, 0.01);
    EXPECT_EQ(full->beta, 0.1);

    struct Bad {
        const char *text;
        const char *message;
    };
    for (Bad bad :
         {Bad{"", "the test is empty"}, Bad{" \t", "the test is empty"}, Bad{"elo1=5", "elo0 and elo1"},
          Bad{"elo0=0 elo1=5 elo1=10", "elo1 is given twice"},
          Bad{"alpha=0.1 elo0=0 elo1=5 alpha=0.2", "alpha is given twice"}, Bad{"elo0=0", "elo0 and elo1"},
          Bad{"elo0=0 elo1=5 junk", "not \"junk\""}, Bad{"elo0=x elo1=5", "elo0 is not a number: \"x\""},
          Bad{"elo0=1e elo1=5", "not a number"}, Bad{"elo0=+-1 elo1=5", "not a number"},
          Bad{"elo0=nan elo1=5", "not a number"}, Bad{"elo0=0 elo1=5 gamma=1", "unknown SPRT parameter \"gamma\""},
          Bad{"elo0=0 elo1=5 alpha=0", "strictly between 0 and 1"},
          Bad{"elo0=0 elo1=5 beta=1.5", "strictly between 0 and 1"},
          Bad{"elo0=0 elo1=5 alpha=0.6 beta=0.5", "alpha + beta"}, Bad{"elo0=5 elo1=5", "greater than elo0"},
          Bad{"elo0=5 elo1=0", "greater than elo0"}, Bad{"elo0=0 elo1=5000", "between -1000 and 1000"}}) {
        error.clear();
        EXPECT_FALSE(ParseSprt(bad.text, error)) << bad.text;
        EXPECT_NE(error.find(bad.message), std::string::npos) << bad.text << ": " << error;
    }
}

// The number of pairs after which the test first decides, and its decision.
std::pair<long, SprtDecision> PairsToDecide(const SprtTest &test, const Pentanomial &step, long limit)
{
    Pentanomial pairs{};
    for (long count = 1; count <= limit; ++count) {
        for (int index = 0; index < 5; ++index)
            pairs[index] += step[index];
        SprtDecision decision = EvaluateSprt(test, pairs).decision;
        if (decision != SprtDecision::Continue)
            return {count, decision};
    }
    return {limit, SprtDecision::Continue};
}

TEST(Sprt, AlwaysWinningAcceptsH1Quickly)
{
    // Each pair won 2-0 multiplies the likelihood ratio by about mu1 / mu0 =
    // .5715 / .5 (the fitted distributions put nearly all their mass on pairs
    // of 2 and 0, mu of it on 2), log .1336; log 19 / .1336 = 22.04 pairs.
    SprtTest test{0, 50, 0.05, 0.05};
    EXPECT_EQ(PairsToDecide(test, {0, 0, 0, 0, 1}, 1000), std::make_pair(23L, SprtDecision::AcceptH1));
    EXPECT_EQ(PairsToDecide(test, {1, 0, 0, 0, 0}, 1000).second, SprtDecision::AcceptH0);
}

TEST(Sprt, EqualEnginesNeverAcceptH1)
{
    SprtTest test{0, 50, 0.05, 0.05};
    auto [pairs, decision] = PairsToDecide(test, {1, 2, 4, 2, 1}, 100);
    EXPECT_EQ(decision, SprtDecision::AcceptH0);
    EXPECT_GT(pairs, 1);
    SprtState state = EvaluateSprt(test, {0, 0, 1, 0, 0});
    EXPECT_EQ(state.decision, SprtDecision::Continue);
    EXPECT_NEAR(state.upperBound, std::log(19.0), 1e-12);
    EXPECT_NEAR(state.lowerBound, -std::log(19.0), 1e-12);
    EXPECT_EQ(FormatSprt(test, EvaluateSprt(test, {})), "SPRT elo0=0 elo1=50: LLR 0.00 (-2.94, 2.94), continue");
    // Unequal error rates: lower log(.1 / .99), upper log(.9 / .01).
    SprtState uneven = EvaluateSprt({0, 50, 0.01, 0.1}, {});
    EXPECT_NEAR(uneven.lowerBound, -2.2925, 1e-4);
    EXPECT_NEAR(uneven.upperBound, 4.4998, 1e-4);
}

TEST(Sprt, MatchesTheNormalApproximationOnLargeSamples)
{
    // LLR ~ (mu1 - mu0) (2 mean - mu0 - mu1) n / (2 var) for small Elo steps.
    Pentanomial pairs{300, 1500, 3000, 1700, 500};
    double n = 7000, mean = 0, var = 0;
    for (int index = 0; index < 5; ++index)
        mean += static_cast<double>(pairs[index]) * index / 4.0 / n;
    for (int index = 0; index < 5; ++index)
        var += static_cast<double>(pairs[index]) * std::pow(index / 4.0 - mean, 2) / n;
    SprtTest test{0, 10, 0.05, 0.05};
    double mu0 = ScoreFromElo(0), mu1 = ScoreFromElo(10);
    double approximate = (mu1 - mu0) * (2 * mean - mu0 - mu1) * n / (2 * var);
    SprtState state = EvaluateSprt(test, pairs);
    EXPECT_NEAR(state.llr, approximate, 0.02 * std::fabs(approximate));
    EXPECT_EQ(state.decision, SprtDecision::AcceptH1);
    EXPECT_EQ(FormatSprt(test, state).substr(0, 24), "SPRT elo0=0 elo1=10: LLR");
}

std::vector<RatedGame> Games(int first, int second, int wins, int losses, int draws)
{
    std::vector<RatedGame> games;
    for (int game = 0; game < wins + losses + draws; ++game)
        games.push_back({first, second, game < wins ? 1.0 : game < wins + losses ? 0.0 : 0.5});
    return games;
}

std::vector<RatedGame> Joined(std::vector<std::vector<RatedGame>> parts)
{
    std::vector<RatedGame> all;
    for (const auto &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(Ratings, RoundRobinRanksTheKnownOrder)
{
    // Engines listed C, A, B; A beats B and C, B beats C.
    std::vector<RatedGame> games = Joined({Games(1, 2, 7, 3, 0), Games(2, 0, 6, 3, 1), Games(0, 1, 2, 8, 0)});
    std::vector<Rating> ratings = FitRatings({"C", "A", "B"}, games, std::nullopt).ratings;
    ASSERT_EQ(ratings.size(), 3u);
    EXPECT_EQ(ratings[0].name, "A");
    EXPECT_EQ(ratings[1].name, "B");
    EXPECT_EQ(ratings[2].name, "C");
    EXPECT_NEAR(ratings[0].elo + ratings[1].elo + ratings[2].elo, 0.0, 1e-6);
    EXPECT_EQ(ratings[0].games, 20);
    EXPECT_DOUBLE_EQ(ratings[0].scorePercent, 75.0);
    for (const Rating &rating : ratings)
        EXPECT_TRUE(rating.lower < rating.elo && rating.elo < rating.upper &&
                    std::isfinite(rating.lower + rating.upper));

    // Anchored at B: every rating shifts by B's mean-anchored rating.
    RatingFit anchored = FitRatings({"C", "A", "B"}, games, 2);
    for (size_t rank = 0; rank < 3; ++rank)
        EXPECT_NEAR(anchored.ratings[rank].elo, ratings[rank].elo - ratings[1].elo, 1e-6);
    EXPECT_EQ(anchored.ratings[1].lower, 0.0);
    EXPECT_EQ(anchored.ratings[1].upper, 0.0);
    EXPECT_NE(FormatRatingTable(anchored).find("anchor"), std::string::npos);
}

TEST(Ratings, TwoEnginesAgreeWithTheMatchEstimate)
{
    // 60 wins, 30 losses, 10 draws: the fit is the score 0.65 exactly, +107.5.
    // Fisher information 100 p (1 - p) = 22.75 gives the difference
    // +/- 1.96 * 173.7 / sqrt(22.75) = 71.4, halved per engine: +53.8 +/- 35.7.
    RatingFit fit = FitRatings({"A", "B"}, Games(0, 1, 60, 30, 10), std::nullopt);
    const std::vector<Rating> &ratings = fit.ratings;
    EXPECT_FALSE(fit.priorAdded);
    EXPECT_NEAR(ratings[0].elo - ratings[1].elo, EloFromScore(0.65), 1e-6);
    EXPECT_NEAR(ratings[0].upper - ratings[0].lower, Z95 * ELO_PER_LOG_ODDS / std::sqrt(22.75), 1e-6);
    EloEstimate match = EstimateElo(60, 30, 10);
    EXPECT_NEAR(ratings[0].elo - ratings[1].elo, match.elo, 1e-6);
    EXPECT_NEAR(ratings[0].elo, -ratings[1].elo, 1e-9);
    // Each rating is half the difference, so its interval is half as wide.
    EXPECT_NEAR(ratings[0].upper - ratings[0].lower, (match.upper - match.lower) / 2, 5.0);
    EXPECT_EQ(FormatRatingTable(fit), "Rank  Engine  Games   Score      Elo  95% interval\n"
                                      "   1  A         100   65.0%    +53.8  +18.1 to +89.5\n"
                                      "   2  B         100   35.0%    -53.8  -89.5 to -18.1\n");
}

TEST(Ratings, PerfectScoresStayFiniteWithOpenIntervals)
{
    RatingFit fit = FitRatings({"loser", "winner", "idle"}, Games(1, 0, 10, 0, 0), std::nullopt);
    const std::vector<Rating> &ratings = fit.ratings;
    EXPECT_TRUE(fit.priorAdded);
    EXPECT_EQ(ratings[0].name, "winner");
    for (const Rating &rating : ratings)
        EXPECT_TRUE(std::isfinite(rating.elo));
    EXPECT_TRUE(std::isinf(ratings[0].upper) && std::isfinite(ratings[0].lower));
    EXPECT_TRUE(std::isinf(ratings[2].lower) && std::isfinite(ratings[2].upper));
    EXPECT_TRUE(std::isinf(ratings[1].lower) && std::isinf(ratings[1].upper));
    std::string table = FormatRatingTable(fit);
    EXPECT_FALSE(Garbled(table)) << table;
    EXPECT_NE(table.find("\nNote: the games alone fit no finite ratings"), std::string::npos) << table;
    EXPECT_NE(table.find("or more"), std::string::npos);
    EXPECT_NE(table.find("or less"), std::string::npos);
    EXPECT_NE(table.find("n/a"), std::string::npos);
}

TEST(Ratings, ThePlainFitMatchesAHandComputedCase)
{
    // A-B 3-1, B-C 3-1, A-C 9-1: the odds 3, 3 and 9 fit exactly, so the
    // strengths are ln 9, ln 3, 0 and each step is 173.7 ln 3 = 190.8 Elo;
    // every engine's points equal their expectation, the condition of the maximum.
    std::vector<RatedGame> games = Joined({Games(0, 1, 3, 1, 0), Games(1, 2, 3, 1, 0), Games(0, 2, 9, 1, 0)});
    RatingFit fit = FitRatings({"A", "B", "C"}, games, std::nullopt);
    EXPECT_FALSE(fit.priorAdded);
    double step = ELO_PER_LOG_ODDS * std::log(3.0);
    ASSERT_EQ(fit.ratings.size(), 3u);
    EXPECT_NEAR(fit.ratings[0].elo, step, 1e-6);
    EXPECT_NEAR(fit.ratings[1].elo, 0.0, 1e-6);
    EXPECT_NEAR(fit.ratings[2].elo, -step, 1e-6);
    EXPECT_EQ(fit.ratings[2].engine, 2);
    EXPECT_EQ(FormatRatingTable(fit).find("Note"), std::string::npos);

    // Anchored at C the same fit reads 381.7 / 190.8 / 0.
    RatingFit anchored = FitRatings({"A", "B", "C"}, games, 2);
    EXPECT_NEAR(anchored.ratings[0].elo, 2 * step, 1e-6);
}

TEST(Ratings, ThePriorIsAddedOnlyWhenSomeEnginesTookEveryPointAgainstTheRest)
{
    struct Case {
        const char *what;
        std::vector<RatedGame> games;
        bool prior;
    };
    for (const Case &example : {
             // A cycle of clean sweeps still has a finite fit: every engine 0.
             Case{"cycle", Joined({Games(0, 1, 2, 0, 0), Games(1, 2, 2, 0, 0), Games(2, 0, 2, 0, 0)}), false},
             // One draw is a point each way.
             Case{"draw links", Joined({Games(0, 1, 5, 0, 1), Games(1, 2, 1, 1, 0)}), false},
             Case{"A sweeps", Joined({Games(0, 1, 2, 0, 0), Games(0, 2, 2, 0, 0), Games(1, 2, 1, 1, 0)}), true},
             Case{"A and B sweep C", Joined({Games(0, 1, 1, 1, 0), Games(0, 2, 2, 0, 0), Games(2, 1, 0, 2, 0)}), true},
             Case{"C never played", Games(0, 1, 1, 1, 0), true},
         }) {
        RatingFit fit = FitRatings({"A", "B", "C"}, example.games, std::nullopt);
        EXPECT_EQ(fit.priorAdded, example.prior) << example.what;
        for (const Rating &rating : fit.ratings)
            EXPECT_TRUE(std::isfinite(rating.elo)) << example.what;
    }
}

TEST(Crosstable, CountsEachPairFromBothSides)
{
    // Engines A, B, C; C and A never meet. Games listed from either side.
    std::vector<RatedGame> games = Joined({Games(0, 1, 2, 1, 1), Games(2, 1, 1, 0, 0), Games(1, 2, 0, 0, 1)});
    games.push_back({3, 0, 1.0});  // an unknown engine: left out
    std::vector<PairResult> pairs = TallyPairs(3, games);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].first, 0);
    EXPECT_EQ(pairs[0].second, 1);
    EXPECT_EQ(std::vector<int>({pairs[0].wins, pairs[0].losses, pairs[0].draws}), std::vector<int>({2, 1, 1}));
    EXPECT_EQ(pairs[1].first, 1);
    EXPECT_EQ(pairs[1].second, 2);
    EXPECT_EQ(std::vector<int>({pairs[1].wins, pairs[1].losses, pairs[1].draws}), std::vector<int>({0, 1, 1}));
    EXPECT_DOUBLE_EQ(pairs[1].Points(), 0.5);

    EXPECT_EQ(FormatCrosstable({"A", "B", "C"}, {2, 0, 1}, pairs),
              "Crosstable (W-L-D and score of each row's engine against each column's)\n"
              "   C            A            B\n"
              "C  x            .            1-0-1 75.0%\n"
              "A  .            x            2-1-1 62.5%\n"
              "B  0-1-1 25.0%  1-2-1 37.5%  x\n");
}

TEST(EndStatistics, CountsEachEfficiency)
{
    // Engines A = 0, B = 1, C = 2 (no ends).
    std::vector<EndTally> ends = {
        {0, 1, 2, 0},  // A scores 2 with the hammer
        {0, 1, 0, 0},  // A blanks
        {0, 1, 1, 0},  // A forced to one
        {1, 0, 0, 1},  // A steals one
        {1, 0, 3, 0},  // B scores 3 with the hammer
        {5, 0, 1, 0},  // an unknown engine: left out
        {1, 1, 1, 0},  // one engine on both sides: left out
    };
    std::vector<EndStatistics> stats = TallyEnds({"A", "B", "C"}, ends);
    ASSERT_EQ(stats.size(), 3u);
    auto counts = [](const EndStatistics &s) {
        return std::vector<int>{s.hammerEnds, s.hammerScoredTwoPlus, s.hammerNonBlank,
                                s.forcedEnds, s.forceHeld,           s.stealEnds,
                                s.steals,     s.blankEnds,           s.ends};
    };
    EXPECT_EQ(counts(stats[0]), (std::vector<int>{3, 1, 2, 2, 1, 2, 1, 1, 5}));
    EXPECT_EQ(counts(stats[1]), (std::vector<int>{2, 1, 2, 2, 1, 3, 0, 0, 5}));
    EXPECT_EQ(counts(stats[2]), (std::vector<int>(9, 0)));
    const std::string table = FormatEndStatistics(stats);
    EXPECT_EQ(table.substr(table.find('\n') + 1),
              "A         hammer 1/2 50.0%  force 1/2 50.0%  steal 1/2 50.0%  blank 1/3 33.3%\n"
              "B         hammer 1/2 50.0%  force 1/2 50.0%  steal 0/3 0.0%   blank 0/2 0.0%\n"
              "C         hammer 0/0 n/a    force 0/0 n/a    steal 0/0 n/a    blank 0/0 n/a\n"
              "all ends  hammer 2/4 50.0%  force 2/4 50.0%  steal 1/5 20.0%  blank 1/5 20.0%\n");
}

}  // namespace
