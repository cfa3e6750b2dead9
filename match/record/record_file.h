#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "game/game_record.h"
#include "record/record_json.h"
#include "record/record_lock.h"
#include "setup/match_setup.h"

namespace match::record {

// The record file, version 2, is JSON Lines: a header line with the match
// setup, then one line per finished game (GameToJson), each synced to disk as
// the game ends. A finished run leaves the games in game-number order.

nlohmann::json HeaderToJson(const setup::MatchSetup &setup);
// The setup a header holds, its SPRT text parsed. Throws RecordError for what
// is no header of version 2, and for an SPRT text that is no test.
setup::MatchSetup HeaderFromJson(const nlohmann::json &header);

// The first option that differs between two headers, in words ("seed is 7
// The first option that differs between two headers, in words ("seed is 7
// there, 8 here"), in the order of wanted's keys, then a key only recorded
// has (an optional one, such as "tc"), the start positions last (given on
// either side); empty when none does. SPRT texts that give the same test are
// the same option, and positions files of the same content are.
std::string HeaderDifference(const nlohmann::json &recorded, const nlohmann::json &wanted);

// The engines and settings of a setup as a record without games.
game::MatchRecord MatchRecordOf(const setup::MatchSetup &setup);

struct RecordContents {
    nlohmann::json header;
    setup::MatchSetup setup;
    std::vector<game::GameRecord> games;
    std::uintmax_t wholeBytes = 0;  // the length without a torn last line
    bool torn = false;              // the last line was cut short and is left out
};

// Reads a record of version 2. A last line without its line feed is one a
// killed run could not finish: it is left out and marked torn. Throws
// RecordError for anything else that is not a record.
RecordContents ReadRecordLines(const std::string &path);
// ReadRecordLines handing each game to visit as it is read, rather than
// keeping them: the contents come back without games.
RecordContents ReadRecordGames(const std::string &path, const std::function<void(game::GameRecord &&)> &visit);

// True when the file at path holds no more than the start of header's line,
// nothing included: what a run with that header leaves when it is killed
// while writing it.
bool HeaderCutShort(const std::string &path, const nlohmann::json &header);

// The first of games whose number is in numbers or comes twice in games, the
// others' numbers added to numbers: no game of a match is recorded twice.
std::optional<int> RepeatedGame(const std::vector<game::GameRecord> &games, std::set<int> &numbers);

// Any record, version 1 or 2, as its engines, settings and games.
game::MatchRecord ReadRecordFile(const std::string &path);

// Appends lines to a record file and syncs each one to disk.
class RecordWriter {
public:
    // Starts the file afresh with the header line.
    RecordWriter(const std::string &path, const nlohmann::json &header);
    // Continues an existing file cut to its first wholeBytes bytes.
    RecordWriter(const std::string &path, std::uintmax_t wholeBytes);
    ~RecordWriter();
    RecordWriter(const RecordWriter &) = delete;
    RecordWriter &operator=(const RecordWriter &) = delete;

    void Write(const game::GameRecord &game);
    void WriteLine(const std::string &line);

private:
    std::string path_;
    int descriptor_ = -1;
};

// Rewrites the record with its game lines in game-number order, keeping only
// the games keep() accepts; atomically, through a file beside it that takes
// the record's name and lock.
void SortRecord(const std::string &path, const std::function<bool(int number)> &keep, RecordLock &lock);

}  // namespace match::record
