#include "record/replay.h"

#include <cstdio>
#include <cstring>

#include "game/thrower.h"
#include "record/record_file.h"

namespace match::record {

using game::EndRecord;
using game::GameRecord;
using game::MatchRecord;
using game::ShotRecord;
using game::Thrower;

namespace {

// The first stone where two positions differ, or -1.
int FirstDifference(const GameState &a, const GameState &b)
{
    for (int k = 0; k < 16; ++k)
        if (std::memcmp(a.stones[k], b.stones[k], sizeof a.stones[k]) != 0)
            return k;
    return -1;
}

std::string Where(const GameRecord &game, const EndRecord &end, const ShotRecord &shot)
{
    return "game " + std::to_string(game.number) + ", end " + std::to_string(end.index + 1) + ", shot " +
           std::to_string(shot.shotIndex + 1);
}

std::string Stone(const GameState &state, int k)
{
    char text[64];
    std::snprintf(text, sizeof text, "(%.9g, %.9g)", static_cast<double>(state.stones[k][0]),
                  static_cast<double>(state.stones[k][1]));
    return text;
}

// Plays one game's shots again, adding what differs to report.
void ReplayGame(GameRecord &game, uint64_t seed, float error, ReplayReport &report)
{
    Thrower thrower(seed, game.pair, error);
    for (EndRecord &end : game.ends) {
        GameState state = game::EndOpening(game.start, end.index);
        for (ShotRecord &shot : end.shots) {
            if (!shot.played)
                break;
            int sentDiffers = FirstDifference(state, shot.sent);
            if (sentDiffers >= 0)
                report.differences.push_back(Where(game, end, shot) + ": sent position differs at stone " +
                                             std::to_string(sentDiffers + 1) + ": recorded " +
                                             Stone(shot.sent, sentDiffers) + ", replayed " + Stone(state, sentDiffers));
            state = shot.sent;
            bool played = thrower.Throw(state, shot.shot, shot.seed, shot.trace);
            ++report.shots;
            int restingDiffers = FirstDifference(state, shot.resting);
            if (!played)
                report.differences.push_back(Where(game, end, shot) + ": the library refused the shot");
            else if (restingDiffers >= 0)
                report.differences.push_back(Where(game, end, shot) + ": stone " + std::to_string(restingDiffers + 1) +
                                             " rests at " + Stone(state, restingDiffers) + ", recorded " +
                                             Stone(shot.resting, restingDiffers));
        }
    }
}

}  // namespace

ReplayReport ReplayMatch(MatchRecord &record)
{
    ReplayReport report;
    for (GameRecord &game : record.games)
        ReplayGame(game, record.seed, record.error, report);
    return report;
}

ReplayReport ReplayRecordGames(const std::string &path, const MatchRecord &settings,
                               const std::function<bool(int number)> &want,
                               const std::function<void(GameRecord &&)> &visit)
{
    ReplayReport report;
    ReadRecordGames(path, [&](GameRecord &&game) {
        if (!want(game.number))
            return;
        std::size_t differences = report.differences.size();
        ReplayGame(game, settings.seed, settings.error, report);
        if (report.differences.size() == differences)
            visit(std::move(game));
    });
    return report;
}

}  // namespace match::record
