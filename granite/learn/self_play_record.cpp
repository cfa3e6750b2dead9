#include "learn/self_play_record.h"

#include <fstream>

#include <nlohmann/json.hpp>

namespace granite::learn {

namespace {

using nlohmann::json;

constexpr const char *FORMAT = "pebble-match record";
constexpr int VERSION = 2;
constexpr std::size_t STONES = TESSIVAL_STONE_COUNT;
constexpr std::size_t STATE_FIELDS = 4;  // shotIndex, currentEnd, lastEnd, sideFlag

// Thrown inside a line's reading; the caller adds the file and line.
struct LineError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

int SideOf(const json &value)
{
    const std::string name = value.get<std::string>();
    if (name == "A")
        return SIDE_A;
    if (name == "B")
        return SIDE_B;
    throw LineError("\"" + name + "\" names no side (A or B)");
}

GameState StateOf(const json &shot)
{
    GameState state{};
    const json &stones = shot.at("position");
    if (!stones.is_array() || stones.size() != STONES)
        throw LineError("a position does not hold 16 stones");
    for (std::size_t k = 0; k < STONES; ++k) {
        const json &stone = stones[k];
        if (!stone.is_array() || stone.size() != 2)
            throw LineError("stone " + std::to_string(k) + " of a position is not a pair of numbers");
        // Written as the doubles of single-precision values: they read back bit for bit.
        state.stones[k][0] = static_cast<float>(stone[0].get<double>());
        state.stones[k][1] = static_cast<float>(stone[1].get<double>());
    }
    const json &fields = shot.at("state");
    if (!fields.is_array() || fields.size() != STATE_FIELDS)
        throw LineError("a shot's state is not four integers");
    state.shotIndex = fields[0].get<std::int32_t>();
    state.currentEnd = fields[1].get<std::int32_t>();
    state.lastEnd = fields[2].get<std::int32_t>();
    state.sideFlag = fields[3].get<std::uint8_t>();
    return state;
}

RecordedEnd EndOf(const json &entry)
{
    RecordedEnd end;
    end.hammer = SideOf(entry.at("hammer"));
    end.complete = entry.at("complete").get<bool>();
    if (end.complete)
        end.points = {entry.at("score").at("A").get<int>(), entry.at("score").at("B").get<int>()};
    for (const json &shot : entry.at("shots"))
        end.before.push_back(StateOf(shot));
    return end;
}

RecordedGame GameOf(const std::string &line)
{
    const json entry = json::parse(line);
    RecordedGame game;
    for (const json &end : entry.at("ends"))
        game.ends.push_back(EndOf(end));
    const json &winner = entry.at("result").at("winner");
    if (!winner.is_null())
        game.winner = SideOf(winner);
    return game;
}

void CheckHeader(const std::string &line)
{
    const json header = json::parse(line);
    if (!header.is_object() || header.value("format", "") != FORMAT || header.value("version", 0) != VERSION)
        throw LineError("not the header of a pebble-match record of version 2");
}

}  // namespace

RecordFile ReadRecord(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw RecordError(path + ": cannot be opened");
    std::string line;
    if (!std::getline(in, line))
        throw RecordError(path + ": is empty, not a pebble-match record");
    try {
        CheckHeader(line);
    } catch (const std::exception &error) {
        throw RecordError(path + ":1: " + error.what());
    }
    RecordFile record;
    for (int number = 2; std::getline(in, line); ++number) {
        const bool terminated = !in.eof();
        try {
            record.games.push_back(GameOf(line));
        } catch (const std::exception &error) {
            if (terminated)
                throw RecordError(path + ":" + std::to_string(number) + ": " + error.what());
            record.tornLastLine = true;
        }
    }
    if (in.bad())
        throw RecordError(path + ": could not be read to the end");
    return record;
}

double ResultFor(const RecordedGame &game, int side)
{
    if (!game.winner)
        return 0.5;
    return *game.winner == side ? 1.0 : 0.0;
}

}  // namespace granite::learn
