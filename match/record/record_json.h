#pragma once

#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "game/game_record.h"

namespace match::record {

struct RecordError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One game: its number, pair and engines, its ends and every shot of them
// (position and state sent, reply, vector, seed, resting position), the end
// scores and the result.
nlohmann::json GameToJson(const game::GameRecord &game);
// Reads back what GameToJson wrote; throws RecordError naming what is wrong.
game::GameRecord GameFromJson(const nlohmann::json &json);

// The whole-document record of version 1: the two engines, the seed, the
// thrower's error and every game.
nlohmann::json RecordToJson(const game::MatchRecord &record);
game::MatchRecord RecordFromJson(const nlohmann::json &json);

}  // namespace match::record
