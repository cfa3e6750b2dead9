// The game clock: what each side is told, what it is charged, extra ends, loss
// on time; and the think times and clocks as the record and the summary keep them.
#include <gtest/gtest.h>

#include "game/game.h"
#include "record/record_json.h"
#include "summary/time_figures.h"

using namespace match::game;
using namespace match::protocol;
using match::record::GameFromJson;
using match::record::GameToJson;
using match::summary::EngineTimes;
using match::summary::FormatTimeFigures;
using match::summary::TimeFigures;

namespace {

// Takes thinkMs for every shot, and slowMs on its shot number slowAt
// (counting from 1); notes the clocks it is told.
class TimedPlayer : public Player {
public:
    TimedPlayer(double thinkMs, int slowAt = 0, double slowMs = 0.0)
        : thinkMs_(thinkMs), slowAt_(slowAt), slowMs_(slowMs)
    {
    }
    ShotAnswer RequestShot(const GameState &, const GamePoints &, const std::optional<ClockTimes> &clock) override
    {
        told.push_back(clock);
        ShotAnswer answer;
        answer.thinkMs = static_cast<int>(told.size()) == slowAt_ ? slowMs_ : thinkMs_;
        answer.ok = CreateShot({2.375f, 4.88f, 0}, &answer.shot) == 1;
        answer.reply = "BESTSHOT";
        return answer;
    }
    std::vector<std::optional<ClockTimes>> told;

private:
    double thinkMs_;
    int slowAt_;
    double slowMs_;
};

GameSettings Clocked(int ends, TimeControl a, TimeControl b)
{
    GameSettings settings;
    settings.ends = ends;
    settings.clock = PerSide<TimeControl>{a, b};
    return settings;
}

TEST(GameClock, ExtraEndsAddTheRegularEndsAverageAndLeftIsWholeMilliseconds)
{
    GameClock clock({TimeControl{8.0, 0.5}, TimeControl{4.0, 0.0}}, 8);
    clock.StartEnd(7);
    EXPECT_EQ(clock.LeftMs(Side::A), 8000);
    clock.Spend(Side::A, 1000.25);
    EXPECT_EQ(clock.LeftMs(Side::A), 7499) << "charged, increment added, rounded down";
    clock.StartEnd(8);
    EXPECT_EQ(clock.LeftMs(Side::A), 8499);
    EXPECT_EQ(clock.LeftMs(Side::B), 4500);
    clock.RunOut(Side::B);
    EXPECT_EQ(clock.LeftMs(Side::B), 0);
    clock.Spend(Side::B, 3.0);
    EXPECT_EQ(clock.LeftMs(Side::B), 0) << "never negative";
}

TEST(GameClock, AReplyAfterTheClockRanOutLosesOnTime)
{
    TimedPlayer a(10.0);
    TimedPlayer b(10.0, 3, 981.0);  // 1000 ms: 990 after its first shot, 980 after its second
    Thrower thrower(1, 1, 0.0f);
    GameRecord game = PlayGame(Clocked(1, {1.0, 0.0}, {1.0, 0.0}), {&a, &b}, thrower);
    ASSERT_TRUE(game.forfeit);
    EXPECT_EQ(game.forfeit->engine, Side::B);
    EXPECT_TRUE(game.forfeit->onTime);
    EXPECT_EQ(game.forfeit->reason,
              "lost on time in end 1, shot 6: 0.00 s left, the shot took 0.981 s with 0.980 s on the clock");
    EXPECT_EQ(game.winner, Side::A);
    const ShotRecord &late = game.ends[0].shots.back();
    EXPECT_FALSE(late.played);
    EXPECT_EQ(late.clockMs, (PerSide<long long>{970, 0}));
    EXPECT_EQ(b.told.back()->own, 980);
    EXPECT_EQ(b.told.back()->other, 970);

    // 930 ms left for its last stone of the end.
    TimedPlayer exact(10.0, 8, 930.0);
    TimedPlayer other(10.0);
    GameRecord inTime = PlayGame(Clocked(1, {1.0, 0.0}, {1.0, 0.0}), {&other, &exact}, thrower);
    EXPECT_FALSE(inTime.forfeit) << "a reply as the clock reaches zero is in time";
    EXPECT_EQ(inTime.ends[0].shots.back().clockMs, (PerSide<long long>{920, 0}));
}

TEST(GameTimes, ThinkTimesClocksAndLossOnTimeSurviveTheRecord)
{
    TimedPlayer a(12.3456);
    TimedPlayer b(10.0, 2, 2000.0);
    Thrower thrower(1, 1, 0.0f);
    GameRecord game = PlayGame(Clocked(1, {1.0, 0.0}, {1.0, 0.0}), {&a, &b}, thrower);
    nlohmann::json json = GameToJson(game);
    EXPECT_EQ(json["ends"][0]["shots"][0]["thinkMs"], 12.346) << "to the microsecond";
    EXPECT_EQ(json["result"]["forfeit"]["onTime"], true);
    GameRecord read = GameFromJson(json);
    EXPECT_EQ(GameToJson(read), json);
    EXPECT_EQ(read.times.clockLeftMs, game.times.clockLeftMs);
    EXPECT_EQ(read.times.think[0].shots, 2);

    // Records made before think times and clocks read as having none.
    for (nlohmann::json &end : json["ends"])
        for (nlohmann::json &shot : end["shots"]) {
            shot.erase("thinkMs");
            shot.erase("clockMs");
        }
    json["result"]["forfeit"].erase("onTime");
    GameRecord older = GameFromJson(json);
    EXPECT_FALSE(older.forfeit->onTime);
    EXPECT_FALSE(older.times.clockLeftMs);
    EXPECT_EQ(older.times.think[0].shots, 0);
    EXPECT_EQ(FormatTimeFigures(TimeFigures({"x", "y"}, {older})), "") << "nothing to show";
}

TEST(GameTimes, FiguresPerEngineOverGamesWhereverItPlayed)
{
    GameRecord first;
    first.players = {0, 1};
    first.times.think = {ThinkTimes{2, 300.0, 200.0}, ThinkTimes{2, 40.0, 30.0}};
    first.times.clockLeftMs = PerSide<long long>{5000, 1000};
    GameRecord second;
    second.players = {2, 0};
    second.times.think = {ThinkTimes{1, 10.0, 10.0}, ThinkTimes{2, 500.0, 450.0}};
    second.times.clockLeftMs = PerSide<long long>{7000, 3000};
    GameRecord unclocked;
    unclocked.players = {0, 1};
    unclocked.times.think = {ThinkTimes{1, 100.0, 100.0}, ThinkTimes{}};

    std::vector<EngineTimes> engines = TimeFigures({"p", "q", "r"}, {first, second, unclocked});
    EXPECT_EQ(engines[0].shots, 5);
    EXPECT_DOUBLE_EQ(engines[0].meanThinkMs, 180.0);
    EXPECT_DOUBLE_EQ(engines[0].longestThinkMs, 450.0);
    EXPECT_EQ(engines[0].clockGames, 2);
    EXPECT_DOUBLE_EQ(engines[0].meanLeftMs, 4000.0);
    EXPECT_EQ(engines[0].leastLeftMs, 3000);
    EXPECT_EQ(engines[2].leastLeftMs, 7000);
    EXPECT_EQ(FormatTimeFigures(engines),
              "Time (think: per shot, from GO to the reply; left: on the clock at the game's end)\n"
              "p  think 0.180 s mean, 0.450 s longest  left 4.00 s mean, 3.00 s least\n"
              "q  think 0.020 s mean, 0.030 s longest  left 1.00 s mean, 1.00 s least\n"
              "r  think 0.010 s mean, 0.010 s longest  left 7.00 s mean, 7.00 s least\n");
}

}  // namespace
