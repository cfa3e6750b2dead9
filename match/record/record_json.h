#pragma once

#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "record/game_record.h"

// The match record as JSON: the engines, the seed, the thrower's error, and
// for every game its ends and every shot of them (position and state sent,
// reply, vector, seed, resting position), the end scores and the result.
nlohmann::json RecordToJson(const MatchRecord &record);

struct RecordError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads back what RecordToJson wrote; throws RecordError naming what is wrong.
MatchRecord RecordFromJson(const nlohmann::json &json);

void WriteRecordFile(const MatchRecord &record, const std::string &path);
MatchRecord ReadRecordFile(const std::string &path);
