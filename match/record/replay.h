#pragma once

#include <functional>
#include <string>
#include <vector>

#include "game/game_record.h"

namespace match::record {

struct ReplayReport {
    int shots = 0;                         // shots played again
    std::vector<std::string> differences;  // one line per shot that came out otherwise
};

// Plays every recorded shot again through the physics library, each end from
// the empty sheet (a game's first from its start position) with the recorded vectors, error and seeds, and compares
// both the position each shot was played from and its resting position with
// the record, bit for bit. What each played shot traced is kept in the record
// (ShotRecord::trace).
ReplayReport ReplayMatch(game::MatchRecord &record);

// ReplayMatch over the games of the record file at path that want() accepts,
// one game in memory at a time, thrown with the seed and error of settings.
// Each game that replays as recorded goes to visit with what it traced.
ReplayReport ReplayRecordGames(const std::string &path, const game::MatchRecord &settings,
                               const std::function<bool(int number)> &want,
                               const std::function<void(game::GameRecord &&)> &visit);

}  // namespace match::record
