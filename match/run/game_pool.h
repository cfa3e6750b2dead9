#pragma once

#include <functional>
#include <vector>

#include "game/game_record.h"
#include "schedule/game_schedule.h"

namespace match::run {

// Plays games in their order on up to `workers` threads at once. finished
// sees each game as it ends, one at a time, in the order they end; when it
// returns false no further game is begun. The first exception a game throws
// also stops the dispatch and calls abandon, which should make the games in
// flight end soon (they are not passed to finished when they throw); it is
// thrown again once every game begun ended.
void RunGamePool(const std::vector<schedule::ScheduledGame> &games, int workers,
                 const std::function<game::GameRecord(const schedule::ScheduledGame &)> &play,
                 const std::function<bool(game::GameRecord &&)> &finished, const std::function<void()> &abandon);

}  // namespace match::run
