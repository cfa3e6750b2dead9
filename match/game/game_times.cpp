#include "game/game_times.h"

#include <algorithm>

#include "game/game_record.h"

namespace match::game {

GameTimes TimesOf(const GameRecord &game)
{
    GameTimes times;
    for (const EndRecord &end : game.ends)
        for (const ShotRecord &shot : end.shots) {
            if (shot.clockMs)
                times.clockLeftMs = shot.clockMs;
            if (!shot.thinkMs)
                continue;
            ThinkTimes &side = times.think[static_cast<std::size_t>(Index(shot.engine))];
            ++side.shots;
            side.totalMs += *shot.thinkMs;
            side.longestMs = std::max(side.longestMs, *shot.thinkMs);
        }
    return times;
}

}  // namespace match::game
