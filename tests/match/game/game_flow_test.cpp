#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <thread>
#include <vector>

#include "game/game.h"
#include "game/game_flow.h"
#include "game/line_score.h"
#include "game/thrower.h"
#include "record/replay.h"

using namespace match::game;
using namespace match::protocol;
using namespace match::record;

namespace {

TEST(GameFlow, HammerPassesOnlyWhenTheHammerSideScores)
{
    GameFlow flow(8, Side::B);
    EXPECT_EQ(flow.Hammer(), Side::B);
    EXPECT_EQ(flow.Thrower(0), Side::A);
    EXPECT_EQ(flow.Thrower(15), Side::B);
    flow.FinishEnd(2);  // B scores with the hammer: A gets it
    EXPECT_EQ(flow.Hammer(), Side::A);
    flow.FinishEnd(-1);  // B steals: B throws first again
    EXPECT_EQ(flow.Hammer(), Side::A);
    flow.FinishEnd(0);  // blank: A keeps it
    EXPECT_EQ(flow.Hammer(), Side::A);
    EXPECT_EQ(flow.Total(Side::B), 3);
    EXPECT_EQ(flow.Total(Side::A), 0);
    EXPECT_EQ(flow.Ends()[1].points[1], 1);
}

TEST(GameFlow, ExtraEndsBreakATieThenTheGameIsDrawn)
{
    GameFlow won(2, Side::B);
    won.FinishEnd(1);
    won.FinishEnd(1);
    EXPECT_FALSE(won.Finished()) << "1-1 after the regular ends";
    won.FinishEnd(0);
    EXPECT_FALSE(won.Finished());
    won.FinishEnd(-2);
    ASSERT_TRUE(won.Finished());
    EXPECT_EQ(won.Winner(), Side::A);

    GameFlow drawn(1, Side::A);
    drawn.FinishEnd(0);
    for (int extra = 0; extra < MAX_EXTRA_ENDS; ++extra) {
        EXPECT_FALSE(drawn.Finished());
        drawn.FinishEnd(0);
    }
    EXPECT_TRUE(drawn.Finished());
    EXPECT_EQ(drawn.CurrentEnd(), 1 + MAX_EXTRA_ENDS);
    EXPECT_FALSE(drawn.Winner().has_value());
}

TEST(Thrower, SeedsAreReproducibleDistinctAndNeverZero)
{
    EXPECT_EQ(Thrower(7, 1, 0.0f).Seed(2, 3), Thrower(7, 1, 0.145f).Seed(2, 3));
    std::map<uint32_t, int> seen;
    for (int pair = 1; pair <= 3; ++pair)
        for (int end = 0; end < 11; ++end)
            for (int shot = 0; shot < 16; ++shot) {
                uint32_t seed = Thrower(7, pair, 0.0f).Seed(end, shot);
                EXPECT_NE(seed, 0u);
                ++seen[seed];
            }
    EXPECT_EQ(seen.size(), 3u * 11u * 16u);
    EXPECT_NE(Thrower(7, 1, 0.0f).Seed(0, 0), Thrower(8, 1, 0.0f).Seed(0, 0));
}

// A player that records what it is sent and answers a fixed shot, or fails
// at a chosen shot of the game.
class ScriptedPlayer : public Player {
public:
    explicit ScriptedPlayer(int failAt = -1) : failAt_(failAt) {}
    ShotAnswer RequestShot(const GameState &state, const GamePoints &points, const std::optional<ClockTimes> &) override
    {
        seen.push_back(state);
        seenPoints.push_back(points);
        ShotAnswer answer;
        answer.reply = "BESTSHOT 0 -2 0";
        if (static_cast<int>(seen.size()) - 1 == failAt_) {
            answer.fault = "did something odd";
            return answer;
        }
        answer.ok = true;
        return answer;
    }
    std::vector<GameState> seen;
    std::vector<GamePoints> seenPoints;

private:
    int failAt_;
};

// Throws that make every end come out as hammerScores[end] says: the
// scoring side's first stones rest ever nearer the tee, all others leave play.
class ScriptedThrower : public Thrower {
public:
    explicit ScriptedThrower(std::vector<int> hammerScores)
        : Thrower(99, 1, 0.0f), hammerScores_(std::move(hammerScores))
    {
    }

    bool Throw(GameState &state, const ShotVector &, uint32_t seed, ShotTrace &trace) override
    {
        EXPECT_EQ(seed, Seed(state.currentEnd, state.shotIndex));
        int end = state.currentEnd;
        int score = end < static_cast<int>(hammerScores_.size()) ? hammerScores_[static_cast<std::size_t>(end)] : 0;
        int shot = state.shotIndex;
        bool hammerStone = shot % 2 == 1;
        int needed = hammerStone ? score : -score;
        bool scores = shot / 2 < needed;
        state.stones[shot][0] = scores ? 2.375f : 0.0f;
        state.stones[shot][1] = scores ? 4.88f + 0.2f * static_cast<float>(shot / 2) : 0.0f;
        state.shotIndex = shot + 1;
        trace.paths = {{shot, 0.0f, 20.0f, false, {{2.375f, 33.0f}, {state.stones[shot][0], state.stones[shot][1]}}}};
        return true;
    }

private:
    std::vector<int> hammerScores_;
};

TEST(PlayGame, SendsEachSideItsStonesWithTheStateOfTheEnd)
{
    ScriptedPlayer a;
    ScriptedPlayer b;
    ScriptedThrower thrower({3, -1});
    GameRecord game = PlayGame({1, 2, Side::B}, {&a, &b}, thrower);

    ASSERT_EQ(game.ends.size(), 2u);
    EXPECT_EQ(game.ends[0].points, (PerSide<int>{0, 3}));
    EXPECT_EQ(game.ends[1].hammer, Side::A);
    EXPECT_EQ(game.ends[1].points, (PerSide<int>{0, 1}));
    EXPECT_EQ(game.totals, (PerSide<int>{0, 4}));
    EXPECT_EQ(game.winner, Side::B);

    ASSERT_EQ(a.seen.size(), 16u);
    ASSERT_EQ(b.seen.size(), 16u);
    // End 1: A throws first (even stones, sideFlag 0), B has the hammer.
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(a.seen[static_cast<std::size_t>(k)].shotIndex, 2 * k);
        EXPECT_EQ(a.seen[static_cast<std::size_t>(k)].sideFlag, 0);
        EXPECT_EQ(b.seen[static_cast<std::size_t>(k)].shotIndex, 2 * k + 1);
        EXPECT_EQ(b.seen[static_cast<std::size_t>(k)].sideFlag, 1);
        EXPECT_EQ(b.seen[static_cast<std::size_t>(k)].currentEnd, 0);
        EXPECT_EQ(b.seen[static_cast<std::size_t>(k)].lastEnd, 1);
    }
    // End 2: A has the hammer.
    EXPECT_EQ(a.seen[8].shotIndex, 1);
    EXPECT_EQ(a.seen[8].currentEnd, 1);
    EXPECT_EQ(b.seen[8].shotIndex, 0);
    // Each side is told the game's points, its own first: 0-3 after end 1.
    EXPECT_EQ(a.seenPoints[7].own + a.seenPoints[7].other, 0);
    EXPECT_EQ(a.seenPoints[8].own, 0);
    EXPECT_EQ(a.seenPoints[8].other, 3);
    EXPECT_EQ(b.seenPoints[8].own, 3);
    EXPECT_EQ(b.seenPoints[8].other, 0);
    // Every shot starts from the previous shot's resting position.
    const EndRecord &first = game.ends[0];
    for (std::size_t k = 1; k < first.shots.size(); ++k)
        EXPECT_EQ(std::memcmp(first.shots[k].sent.stones, first.shots[k - 1].resting.stones,
                              sizeof first.shots[k].sent.stones),
                  0);
    EXPECT_EQ(first.shots[1].sent.stones[0][1], 0.0f) << "A's first stone did not score";
    EXPECT_EQ(first.shots[2].sent.stones[1][1], 4.88f) << "B's first stone lies on the tee";
}

TEST(PlayGame, ATiedGameGoesToExtraEnds)
{
    ScriptedPlayer a;
    ScriptedPlayer b;
    ScriptedThrower extraEnds({1, 1, 0, 2});
    GameRecord decided = PlayGame({1, 2, Side::B}, {&a, &b}, extraEnds);
    ASSERT_EQ(decided.ends.size(), 4u);
    EXPECT_EQ(decided.ends[3].index, 3);
    EXPECT_EQ(decided.ends[3].hammer, Side::B);
    EXPECT_EQ(decided.winner, Side::B);
    EXPECT_EQ(decided.totals, (PerSide<int>{1, 3}));
    EXPECT_NE(FormatLineScore(decided, {"x", "y"}).find("B y wins 3-1 after 2 extra ends"), std::string::npos);

    ScriptedPlayer c;
    ScriptedPlayer d;
    ScriptedThrower blanks({0});
    GameRecord drawn = PlayGame({1, 1, Side::B}, {&c, &d}, blanks);
    EXPECT_EQ(drawn.ends.size(), 1u + MAX_EXTRA_ENDS);
    EXPECT_FALSE(drawn.winner.has_value());
    EXPECT_NE(FormatResult(drawn, {"x", "y"}).find("draw 0-0"), std::string::npos);
}

TEST(PlayGame, AFailingPlayerForfeitsAndTheGameStops)
{
    ScriptedPlayer a(11);  // its 12th shot: end 2, after one whole end
    ScriptedPlayer b;
    ScriptedThrower thrower({-2});
    GameRecord game = PlayGame({1, 8, Side::B}, {&a, &b}, thrower);
    ASSERT_TRUE(game.forfeit.has_value());
    EXPECT_EQ(game.forfeit->engine, Side::A);
    EXPECT_EQ(game.forfeit->reason, "did something odd");
    EXPECT_EQ(game.winner, Side::B);
    EXPECT_EQ(game.totals, (PerSide<int>{2, 0})) << "the points of finished ends stand";
    ASSERT_EQ(game.ends.size(), 2u);
    EXPECT_FALSE(game.ends[1].complete);
    EXPECT_FALSE(game.ends[1].shots.back().played);
    EXPECT_EQ(b.seen.size(), 8u + 3u);

    std::string score = FormatLineScore(game, {"x", "y"});
    EXPECT_NE(score.find("A x forfeits, B y wins"), std::string::npos) << score;
}

// A player that draws to the button with every stone.
class DrawingPlayer : public Player {
public:
    ShotAnswer RequestShot(const GameState &, const GamePoints &, const std::optional<ClockTimes> &) override
    {
        ShotAnswer answer;
        answer.ok = CreateShot({2.375f, 4.88f, 0}, &answer.shot) == 1;
        answer.reply = "BESTSHOT";
        return answer;
    }
};

TEST(Thrower, AGameThrownThroughTheLibraryReplaysFromItsRecord)
{
    DrawingPlayer a;
    DrawingPlayer b;
    Thrower thrower(2026, 3, 0.145f);
    MatchRecord record;
    record.seed = 2026;
    record.error = 0.145f;
    record.games.push_back(PlayGame({5, 1, Side::B, 3}, {&a, &b}, thrower));
    const GameRecord played = record.games[0];
    ASSERT_FALSE(played.forfeit.has_value());
    for (const EndRecord &end : played.ends)
        for (const ShotRecord &shot : end.shots) {
            EXPECT_EQ(shot.seed, thrower.Seed(end.index, shot.shotIndex));
            EXPECT_NE(shot.trace.PathOf(shot.shotIndex), nullptr);
        }

    ReplayReport replay = ReplayMatch(record);
    EXPECT_EQ(replay.shots, 16 * static_cast<int>(played.ends.size()));
    EXPECT_EQ(replay.differences, std::vector<std::string>{});
    EXPECT_EQ(record.games[0].ends.back().shots.back().trace.PathOf(15)->points,
              played.ends.back().shots.back().trace.PathOf(15)->points);
}

// Where the first stone of each of many ends comes to rest, every one a draw
// to the button from the empty sheet, thrown as the games of pair throw.
std::vector<PathPoint> DrawsOfPair(int pair)
{
    ShotVector draw{};
    EXPECT_EQ(CreateShot({2.375f, 4.88f, 0}, &draw), 1);
    Thrower thrower(2026, pair, 0.145f);
    std::vector<PathPoint> rests;
    ShotTrace trace;
    for (int end = 0; end < 400; ++end) {
        GameState state{};
        EXPECT_TRUE(thrower.Throw(state, draw, thrower.Seed(end, 0), trace));
        rests.push_back({state.stones[0][0], state.stones[0][1]});
    }
    return rests;
}

TEST(ConcurrentThrowers, EachGameThrowsAsItWouldAlone)
{
    const std::vector<PathPoint> alone[2] = {DrawsOfPair(1), DrawsOfPair(2)};
    ASSERT_NE(alone[0], alone[1]);
    std::vector<PathPoint> together[2];
    std::thread other([&] { together[1] = DrawsOfPair(2); });
    together[0] = DrawsOfPair(1);
    other.join();
    EXPECT_EQ(together[0], alone[0]);
    EXPECT_EQ(together[1], alone[1]);
}

// Five stones in and around the house and a centre guard; stone 6 is next.
GameState CrowdedHouse()
{
    const float stones[6][2] = {{2.375f, 4.88f}, {2.0f, 5.3f}, {2.8f, 4.5f}, {2.3f, 7.5f}, {1.6f, 4.2f}, {3.1f, 5.6f}};
    GameState state{};
    for (int k = 0; k < 6; ++k) {
        state.stones[k][0] = stones[k][0];
        state.stones[k][1] = stones[k][1];
    }
    state.shotIndex = 6;
    return state;
}

ShotVector Aimed(float x, float y, float power)
{
    ShotVector shot{};
    EXPECT_EQ(CreateHitShot({x, y, 1}, power, &shot), 1);
    return shot;
}

// The thrower draws from a generator of its own and traces every stone, yet
// each throw comes out as the process generator's traced throw did; each
// struck stone's path runs from where it lay to where it rests.
TEST(Thrower, ThrowsAsSimulationTraceWithTheSameSeed)
{
    constexpr int CAPACITY = 512;
    const ShotVector shots[] = {Aimed(2.375f, 4.88f, 0.0f), Aimed(2.375f, 4.88f, 12.0f), Aimed(2.0f, 5.3f, 25.0f),
                                Aimed(2.3f, 7.5f, 12.0f)};
    Thrower thrower(2026, 1, 0.145f);
    int struckPaths = 0;
    for (const ShotVector &shot : shots)
        for (int end = 0; end < 6; ++end) {
            const uint32_t seed = thrower.Seed(end, 6);
            GameState expected = CrowdedHouse();
            float path[CAPACITY][2];
            int32_t length = 0;
            ASSERT_EQ(SimulationTrace(&expected, shot, 0.145f, seed, -1, path, CAPACITY, &length), 1);
            GameState state = CrowdedHouse();
            ShotTrace trace;
            ASSERT_TRUE(thrower.Throw(state, shot, seed, trace));
            EXPECT_EQ(std::memcmp(state.stones, expected.stones, sizeof state.stones), 0) << "end " << end;
            EXPECT_EQ(state.shotIndex, expected.shotIndex);
            const StonePath *thrown = trace.PathOf(6);
            ASSERT_NE(thrown, nullptr);
            ASSERT_EQ(thrown->points.size(), static_cast<std::size_t>(length));
            for (int32_t i = 0; i < length; ++i)
                ASSERT_EQ(thrown->points[static_cast<std::size_t>(i)], (PathPoint{path[i][0], path[i][1]}))
                    << "end " << end << ", point " << i;
            const GameState sent = CrowdedHouse();
            for (const StonePath &struck : trace.paths) {
                if (struck.stone == 6)
                    continue;
                EXPECT_EQ(struck.points.front(),
                          (PathPoint{sent.stones[struck.stone][0], sent.stones[struck.stone][1]}));
                EXPECT_TRUE(struck.leftSheet || struck.points.back() == (PathPoint{state.stones[struck.stone][0],
                                                                                   state.stones[struck.stone][1]}));
                EXPECT_FALSE(trace.contacts.empty());
                ++struckPaths;
            }
        }
    EXPECT_GT(struckPaths, 0);
}

TEST(LineScore, ShowsEndsTotalsAndTheHammer)
{
    ScriptedPlayer a;
    ScriptedPlayer b;
    ScriptedThrower thrower({2, 0, -1});
    GameRecord game = PlayGame({1, 3, Side::B}, {&a, &b}, thrower);
    std::string score = FormatLineScore(game, {"pebble", "other"});
    EXPECT_EQ(score, "End      |  1   2   3  | Total\n"
                     "A pebble |  0   0*  0* |     0\n"
                     "B other  |  2*  0   1  |     3\n"
                     "(* hammer)  B other wins 3-0\n");
}

}  // namespace
