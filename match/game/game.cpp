#include "game/game.h"

#include <cmath>
#include <cstdio>

namespace match::game {

using protocol::ClockTimes;
using protocol::GamePoints;
using protocol::Player;
using protocol::ShotAnswer;

namespace {

constexpr int STONES_PER_END = 16;

void Finish(GameRecord &game, const GameFlow &flow)
{
    game.totals = {flow.Total(Side::A), flow.Total(Side::B)};
    if (game.forfeit)
        game.winner = Other(game.forfeit->engine);
    else
        game.winner = flow.Winner();
    game.times = TimesOf(game);
}

// A game's record before its first end: who plays it and how.
GameRecord NewGame(const GameSettings &settings)
{
    GameRecord game;
    game.number = settings.number;
    game.pair = settings.pair;
    game.players = settings.players;
    game.firstHammer = settings.firstHammer;
    game.regularEnds = settings.ends;
    game.start = settings.start;
    if (settings.start)
        game.totals = settings.start->Points();
    return game;
}

GameFlow FlowOf(const GameSettings &settings)
{
    if (!settings.start)
        return GameFlow(settings.ends, settings.firstHammer);
    return GameFlow(settings.ends, settings.firstHammer, settings.start->position.end, settings.start->Points());
}

// "lost on time in end 6, shot 11: 0.00 s left, the shot took 3.210 s with
// 3.197 s on the clock"; leftMs is what the clock held when GO was sent.
std::string OnTimeReason(const ShotRecord &shot, long long leftMs)
{
    char text[160];
    std::snprintf(text, sizeof text,
                  "lost on time in end %d, shot %d: 0.00 s left, the shot took %.3f s with %.3f s on the clock",
                  shot.sent.currentEnd + 1, shot.shotIndex + 1, shot.thinkMs.value_or(0.0) / 1000.0,
                  static_cast<double>(leftMs) / 1000.0);
    return text;
}

// Charges the shot's time to its side's clock and notes both clocks in it;
// false when the clock ran out before the reply.
bool ChargeClock(GameClock &clock, ShotRecord &shot, const ShotAnswer &answer)
{
    const double thinkMs = *shot.thinkMs;
    const bool inTime = !answer.outOfTime && thinkMs <= static_cast<double>(clock.LeftMs(shot.engine));
    if (inTime)
        clock.Spend(shot.engine, thinkMs);
    else
        clock.RunOut(shot.engine);
    shot.clockMs = PerSide<long long>{clock.LeftMs(Side::A), clock.LeftMs(Side::B)};
    return inTime;
}

}  // namespace

GameRecord PlayGame(const GameSettings &settings, PerSide<Player *> players, Thrower &thrower)
{
    GameRecord game = NewGame(settings);
    GameFlow flow = FlowOf(settings);
    std::optional<GameClock> clock;
    if (settings.clock)
        clock.emplace(*settings.clock, settings.ends);

    while (!flow.Finished()) {
        EndRecord &end = game.ends.emplace_back();
        end.index = flow.CurrentEnd();
        end.hammer = flow.Hammer();
        if (clock)
            clock->StartEnd(end.index);
        GameState state = EndOpening(settings.start, end.index);
        state.currentEnd = end.index;
        state.lastEnd = flow.LastEnd();
        for (int shotIndex = state.shotIndex; shotIndex < STONES_PER_END; ++shotIndex) {
            state.shotIndex = shotIndex;
            state.sideFlag = static_cast<uint8_t>(SideFlag(shotIndex));
            ShotRecord &shot = end.shots.emplace_back();
            shot.shotIndex = shotIndex;
            shot.engine = flow.Thrower(shotIndex);
            shot.sent = state;

            const GamePoints points{flow.Total(shot.engine), flow.Total(Other(shot.engine))};
            std::optional<ClockTimes> times;
            if (clock)
                times = ClockTimes{clock->LeftMs(shot.engine), clock->LeftMs(Other(shot.engine))};
            ShotAnswer answer =
                players[static_cast<std::size_t>(Index(shot.engine))]->RequestShot(state, points, times);
            shot.reply = answer.reply;
            // To the microsecond, as the record keeps it: finer is noise.
            shot.thinkMs = std::round(answer.thinkMs * 1000.0) / 1000.0;
            if (clock && !ChargeClock(*clock, shot, answer)) {
                game.forfeit = Forfeit{shot.engine, OnTimeReason(shot, times->own), true};
                Finish(game, flow);
                return game;
            }
            if (!answer.ok) {
                game.forfeit = Forfeit{shot.engine, answer.fault};
                Finish(game, flow);
                return game;
            }
            shot.shot = answer.shot;
            shot.seed = thrower.Seed(end.index, shotIndex);
            if (!thrower.Throw(state, answer.shot, shot.seed, shot.trace)) {
                game.forfeit = Forfeit{shot.engine, "answered a shot the physics library refused"};
                Finish(game, flow);
                return game;
            }
            shot.played = true;
            shot.resting = state;
        }
        flow.FinishEnd(HammerScore(state));
        end.points = flow.Ends().back().points;
        end.complete = true;
    }
    Finish(game, flow);
    return game;
}

GameRecord ForfeitedGame(const GameSettings &settings, Side engine, std::string reason)
{
    GameRecord game = NewGame(settings);
    game.forfeit = Forfeit{engine, std::move(reason)};
    game.winner = Other(engine);
    return game;
}

}  // namespace match::game
