#include <gtest/gtest.h>

#include <cstring>

#include "final_shots_search.h"
#include "scripted_library.h"

namespace {

constexpr int GRID = 7;
constexpr float SPACING = 0.3327f;

class FinalShotsSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scripted::Bind();
        state.shotIndex = 15;
        untouched.vx = 123.0f;
        untouched.vy = 456.0f;
        untouched.spin = 9;
        out = untouched;
    }

    // Every stone 0..14 in play, away from the house.
    void PlaceAllStones()
    {
        for (int stone = 0; stone < 15; ++stone) {
            state.stones[stone][0] = 0.5f + 0.25f * static_cast<float>(stone);
            state.stones[stone][1] = 9.0f;
        }
    }

    // Gives entry k of each pass the score scores(k); every stone must be in
    // play so that the calls of a pass run in entry order.
    void ScoreByEntry(std::function<int(int)> scores, int entriesPerPass)
    {
        scripted::outcome = [scores, entriesPerPass](GameState &copy, const ShotVector &, int simulation) {
            scripted::ArrangeScore(copy, 1, scores(simulation % entriesPerPass));
        };
    }

    float Search(float trialCount = 6.0f, int gridSize = GRID, float spacing = SPACING)
    {
        return SearchFinalShots(state, &out, trialCount, gridSize, spacing, 0.145f);
    }

    bool OutUntouched() const { return std::memcmp(&out, &untouched, sizeof out) == 0; }

    GameState state = {};
    ShotVector out = {};
    ShotVector untouched = {};
};

TEST_F(FinalShotsSearchTest, OnlyShotFifteenIsSearched)
{
    PlaceAllStones();
    for (int shotIndex : {13, 14, 16, 0, -1}) {
        state.shotIndex = shotIndex;
        EXPECT_EQ(Search(), -8.0f);
        EXPECT_TRUE(OutUntouched());
    }
    EXPECT_TRUE(scripted::calls.empty());
}

TEST_F(FinalShotsSearchTest, NothingInPlayAndNoGridChoosesNothing)
{
    EXPECT_EQ(Search(6.0f, 0), -8.0f);
    EXPECT_TRUE(OutUntouched());
    EXPECT_TRUE(scripted::calls.empty());
}

TEST_F(FinalShotsSearchTest, NoPassRunsForATrialCountOfZero)
{
    PlaceAllStones();
    EXPECT_EQ(Search(0.0f), -8.0f);
    EXPECT_TRUE(scripted::calls.empty());
    EXPECT_TRUE(OutUntouched());
}

TEST_F(FinalShotsSearchTest, GridsBeyondTheScoreTableAreRefused)
{
    PlaceAllStones();
    EXPECT_EQ(Search(1.0f, 23), -8.0f);
    EXPECT_TRUE(scripted::calls.empty());
    EXPECT_TRUE(OutUntouched());
}

TEST_F(FinalShotsSearchTest, PlaysHitsOnStonesInPlayThenTheGridInOrder)
{
    state.stones[2][0] = 1.0f;
    state.stones[2][1] = 6.0f;
    state.stones[5][0] = 0.0f;  // x 0 with y non-zero is still in play here
    state.stones[5][1] = 7.0f;
    state.stones[15][0] = 2.0f;  // never a candidate
    state.stones[15][1] = 5.0f;
    Search(1.0f);
    const auto &calls = scripted::calls;
    // One pass: 2 x (2 hits + 49 draws) play-outs, each a build and a throw,
    // then the winner's build.
    ASSERT_EQ(calls.size(), 2u * 2u * 51u + 1u);
    const float hits[4][3] = {{1.0f, 6.0f, 0}, {1.0f, 6.0f, 1}, {0.0f, 7.0f, 0}, {0.0f, 7.0f, 1}};
    for (int k = 0; k < 4; ++k) {
        const auto &build = calls[static_cast<size_t>(2 * k)];
        EXPECT_EQ(build.kind, scripted::CREATE_HIT_SHOT);
        EXPECT_EQ(build.power, 12.0f);
        EXPECT_EQ(build.target.x, hits[k][0]);
        EXPECT_EQ(build.target.y, hits[k][1]);
        EXPECT_EQ(build.target.spin, hits[k][2]);
        EXPECT_EQ(calls[static_cast<size_t>(2 * k + 1)].kind, scripted::SIMULATION);
    }
    const float xs[GRID] = {1.3769f, 1.7096f, 2.0423f, 2.375f, 2.7077f, 3.0404f, 3.3731f};
    const float ys[GRID] = {3.8819f, 4.2146f, 4.5473f, 4.88f, 5.2127f, 5.5454f, 5.8781f};
    size_t call = 8;
    for (int i = 0; i < GRID; ++i) {
        for (int j = 0; j < GRID; ++j) {
            for (int spin = 0; spin < 2; ++spin, call += 2) {
                const auto &build = calls[call];
                ASSERT_EQ(build.kind, scripted::CREATE_SHOT);
                EXPECT_NEAR(build.target.x, xs[i], 2e-7f);
                EXPECT_NEAR(build.target.y, ys[j], 5e-7f);
                EXPECT_EQ(build.target.spin, spin);
            }
        }
    }
}

TEST_F(FinalShotsSearchTest, EveryPlayOutStartsFromTheGivenState)
{
    PlaceAllStones();
    state.currentEnd = 7;
    state.sideFlag = 1;
    const GameState before = state;
    scripted::outcome = [](GameState &copy, const ShotVector &, int) { scripted::ArrangeScore(copy, 1, 3); };
    Search(2.0f);
    for (const auto &call : scripted::CallsOf(scripted::SIMULATION)) {
        EXPECT_EQ(std::memcmp(&call.state, &before, sizeof before), 0);
        EXPECT_NE(call.statePointer, &state);
        EXPECT_EQ(call.randomError, 0.145f);
        EXPECT_EQ(call.seed, 0u);
        EXPECT_EQ(call.stoneIndex, -1);
    }
    EXPECT_EQ(std::memcmp(&state, &before, sizeof before), 0);
}

TEST_F(FinalShotsSearchTest, SixPlayOutsOfMinusEightSumToTheMarkAndAreNeverChosen)
{
    PlaceAllStones();
    ScoreByEntry([](int) { return -8; }, 128);
    EXPECT_EQ(Search(), -8.0f);
    EXPECT_TRUE(OutUntouched());
    EXPECT_EQ(scripted::CallsOf(scripted::SIMULATION).size(), 6u * 128u);
}

TEST_F(FinalShotsSearchTest, SixPlayOutsOfMinusSevenSumAboveMinusSeven)
{
    PlaceAllStones();
    ScoreByEntry([](int entry) { return entry == 40 ? -7 : -8; }, 128);
    EXPECT_EQ(Search(), -6.99999952f);
}

TEST_F(FinalShotsSearchTest, AFractionalTrialCountAddsAPass)
{
    PlaceAllStones();
    ScoreByEntry([](int entry) { return entry == 3 ? 1 : 0; }, 128);
    EXPECT_EQ(Search(6.5f), 1.07692313f);
    EXPECT_EQ(scripted::CallsOf(scripted::SIMULATION).size(), 7u * 128u);
}

struct WinnerCase {
    int entry;
    scripted::CallKind kind;
    float x;
    float y;
    int spin;
};

void PrintTo(const WinnerCase &printed, std::ostream *stream)
{
    *stream << "entry " << printed.entry;
}

class SearchWinnerTest : public FinalShotsSearchTest, public ::testing::WithParamInterface<WinnerCase> {};

TEST_P(SearchWinnerTest, BuildsTheWinnersShotAnew)
{
    const WinnerCase &winner = GetParam();
    PlaceAllStones();
    ScoreByEntry([&winner](int entry) { return entry == winner.entry ? 3 : 1; }, 128);
    EXPECT_EQ(Search(), 3.0f);
    const auto &last = scripted::calls.back();
    ASSERT_EQ(last.kind, winner.kind);
    if (winner.kind == scripted::CREATE_HIT_SHOT) {
        EXPECT_EQ(last.power, 12.0f);
    }
    EXPECT_NEAR(last.target.x, winner.x, 2e-7f);
    EXPECT_NEAR(last.target.y, winner.y, 5e-7f);
    EXPECT_EQ(last.target.spin, winner.spin);
    EXPECT_EQ(std::memcmp(&out, &last.vector, sizeof out), 0);
    // The final build uses the same single-precision point as the play-outs.
    const auto &played = scripted::calls[static_cast<size_t>(2 * winner.entry)];
    EXPECT_EQ(played.target.x, last.target.x);
    EXPECT_EQ(played.target.y, last.target.y);
}

INSTANTIATE_TEST_SUITE_P(Entries, SearchWinnerTest,
                         ::testing::Values(WinnerCase{0, scripted::CREATE_HIT_SHOT, 0.5f, 9.0f, 0},
                                           WinnerCase{29, scripted::CREATE_HIT_SHOT, 4.0f, 9.0f, 1},
                                           WinnerCase{30, scripted::CREATE_SHOT, 1.3769f, 3.8819f, 0},
                                           WinnerCase{31, scripted::CREATE_SHOT, 1.3769f, 3.8819f, 1},
                                           WinnerCase{127, scripted::CREATE_SHOT, 3.3731f, 5.8781f, 1}));

TEST_F(FinalShotsSearchTest, EqualEntriesKeepTheLowestIndex)
{
    PlaceAllStones();
    ScoreByEntry([](int entry) { return entry == 4 || entry == 5 || entry == 60 ? 3 : 0; }, 128);
    EXPECT_EQ(Search(), 3.0f);
    const auto &last = scripted::calls.back();
    EXPECT_EQ(last.kind, scripted::CREATE_HIT_SHOT);
    EXPECT_EQ(last.target.x, state.stones[2][0]);
    EXPECT_EQ(last.target.spin, 0);
}

TEST_F(FinalShotsSearchTest, AnEvenGridReachesFurtherBelowTheTee)
{
    Search(1.0f, 4);
    const auto draws = scripted::CallsOf(scripted::CREATE_SHOT);
    ASSERT_EQ(draws.size(), 2u * 16u + 1u);
    EXPECT_EQ(draws.front().target.x, -2.0f * SPACING + 2.375f);
    EXPECT_EQ(draws.front().target.y, -2.0f * SPACING + 4.88f);
    EXPECT_EQ(draws[30].target.x, 1.0f * SPACING + 2.375f);
    EXPECT_EQ(draws[30].target.y, 1.0f * SPACING + 4.88f);
}

TEST_F(FinalShotsSearchTest, ScoresAreRatedForTheSideOfTheLastStone)
{
    PlaceAllStones();
    // Side 1 throws shot 15: a position where side 0 scores is worth -2.
    scripted::outcome = [](GameState &copy, const ShotVector &, int simulation) {
        scripted::ArrangeScore(copy, 0, simulation % 128 == 70 ? -3 : 2);
    };
    EXPECT_EQ(Search(), 3.0f);
    EXPECT_EQ(scripted::calls.back().kind, scripted::CREATE_SHOT);
}

}  // namespace
