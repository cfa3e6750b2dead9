#include "record/record_json.h"

#include <cstring>

#include "setup/engine_names.h"

namespace match::record {

using game::EndRecord;
using game::Forfeit;
using game::GameRecord;
using game::Letter;
using game::MatchRecord;
using game::ShotRecord;
using game::Side;
using game::TimesOf;
using nlohmann::json;
using setup::EngineName;

namespace {

constexpr const char *FORMAT = "pebble-match record";
constexpr int VERSION = 1;

// Engine indices of a game; version 1 records hold two engines, A first.
json Players(const GameRecord &game)
{
    return {{"A", game.players[0]}, {"B", game.players[1]}};
}

std::string SideName(Side side)
{
    return std::string(1, Letter(side));
}

Side SideFrom(const json &value)
{
    std::string text = value.get<std::string>();
    if (text == "A")
        return Side::A;
    if (text == "B")
        return Side::B;
    throw RecordError("\"" + text + "\" names no engine (A or B)");
}

json Stones(const GameState &state)
{
    json stones = json::array();
    for (const auto &stone : state.stones)
        stones.push_back({stone[0], stone[1]});
    return stones;
}

void ReadStones(const json &stones, GameState &state)
{
    if (!stones.is_array() || stones.size() != 16)
        throw RecordError("a position does not hold 16 stones");
    for (std::size_t k = 0; k < 16; ++k) {
        const json &stone = stones[k];
        if (!stone.is_array() || stone.size() != 2 || !stone[0].is_number() || !stone[1].is_number())
            throw RecordError("stone " + std::to_string(k) + " of a position is not a pair of numbers");
        state.stones[k][0] = static_cast<float>(stone[0].get<double>());
        state.stones[k][1] = static_cast<float>(stone[1].get<double>());
    }
}

json StartToJson(const game::GameStart &start)
{
    const game::StartPosition &position = start.position;
    json stones = json::array();
    for (const auto &stone : position.stones)
        stones.push_back({stone[0], stone[1]});
    return {{"name", position.name}, {"line", position.line},         {"end", position.end},
            {"shot", position.shot}, {"score", position.score},       {"hammer", position.hammer},
            {"stones", stones},      {"side0", SideName(start.side0)}};
}

game::GameStart StartFromJson(const json &entry)
{
    game::GameStart start;
    game::StartPosition &position = start.position;
    position.name = entry.at("name").get<std::string>();
    position.line = entry.at("line").get<int>();
    position.end = entry.at("end").get<int>();
    position.shot = entry.at("shot").get<int>();
    position.score = entry.at("score").get<std::array<int, 2>>();
    position.hammer = entry.at("hammer").get<int>();
    GameState stones{};
    ReadStones(entry.at("stones"), stones);
    std::memcpy(position.stones, stones.stones, sizeof position.stones);
    start.side0 = SideFrom(entry.at("side0"));
    if (position.shot < 0 || position.shot >= 16 || (position.hammer != 0 && position.hammer != 1))
        throw RecordError("the game's start is no position: shot " + std::to_string(position.shot) + ", hammer " +
                          std::to_string(position.hammer));
    return start;
}

json ShotToJson(const ShotRecord &shot)
{
    json entry = {
        {"shotIndex", shot.shotIndex},
        {"engine", SideName(shot.engine)},
        {"position", Stones(shot.sent)},
        {"state", {shot.sent.shotIndex, shot.sent.currentEnd, shot.sent.lastEnd, shot.sent.sideFlag}},
        {"reply", shot.reply},
    };
    if (shot.played) {
        entry["shot"] = {{"vx", shot.shot.vx}, {"vy", shot.shot.vy}, {"spin", shot.shot.spin}};
        entry["seed"] = shot.seed;
        entry["resting"] = Stones(shot.resting);
    }
    if (shot.thinkMs)
        entry["thinkMs"] = *shot.thinkMs;
    if (shot.clockMs)
        entry["clockMs"] = *shot.clockMs;
    return entry;
}

ShotRecord ShotFromJson(const json &entry)
{
    ShotRecord shot;
    shot.shotIndex = entry.at("shotIndex").get<int>();
    shot.engine = SideFrom(entry.at("engine"));
    ReadStones(entry.at("position"), shot.sent);
    const json &state = entry.at("state");
    if (!state.is_array() || state.size() != 4)
        throw RecordError("a shot's state is not four integers");
    shot.sent.shotIndex = state[0].get<int32_t>();
    shot.sent.currentEnd = state[1].get<int32_t>();
    shot.sent.lastEnd = state[2].get<int32_t>();
    shot.sent.sideFlag = state[3].get<uint8_t>();
    shot.reply = entry.at("reply").get<std::string>();
    if (entry.contains("thinkMs"))
        shot.thinkMs = entry.at("thinkMs").get<double>();
    if (entry.contains("clockMs"))
        shot.clockMs = entry.at("clockMs").get<game::PerSide<long long>>();
    if (!entry.contains("shot"))
        return shot;
    const json &vector = entry.at("shot");
    shot.shot.vx = static_cast<float>(vector.at("vx").get<double>());
    shot.shot.vy = static_cast<float>(vector.at("vy").get<double>());
    shot.shot.spin = vector.at("spin").get<uint8_t>();
    shot.seed = entry.at("seed").get<uint32_t>();
    shot.resting = shot.sent;
    ReadStones(entry.at("resting"), shot.resting);
    shot.resting.shotIndex = shot.sent.shotIndex + 1;
    shot.played = true;
    return shot;
}

json EndToJson(const EndRecord &end)
{
    json shots = json::array();
    for (const ShotRecord &shot : end.shots)
        shots.push_back(ShotToJson(shot));
    json entry = {{"end", end.index}, {"hammer", SideName(end.hammer)}, {"complete", end.complete}, {"shots", shots}};
    if (end.complete)
        entry["score"] = {{"A", end.points[0]}, {"B", end.points[1]}};
    return entry;
}

EndRecord EndFromJson(const json &entry)
{
    EndRecord end;
    end.index = entry.at("end").get<int>();
    end.hammer = SideFrom(entry.at("hammer"));
    end.complete = entry.at("complete").get<bool>();
    if (end.complete)
        end.points = {entry.at("score").at("A").get<int>(), entry.at("score").at("B").get<int>()};
    for (const json &shot : entry.at("shots"))
        end.shots.push_back(ShotFromJson(shot));
    return end;
}

json ForfeitToJson(const Forfeit &forfeit)
{
    json entry = {{"engine", SideName(forfeit.engine)}, {"reason", forfeit.reason}};
    if (forfeit.onTime)
        entry["onTime"] = true;
    return entry;
}

}  // namespace

json GameToJson(const GameRecord &game)
{
    json ends = json::array();
    for (const EndRecord &end : game.ends)
        ends.push_back(EndToJson(end));
    json result = {
        {"winner", game.winner ? json(SideName(*game.winner)) : json(nullptr)},
        {"points", {{"A", game.totals[0]}, {"B", game.totals[1]}}},
        {"forfeit", game.forfeit ? ForfeitToJson(*game.forfeit) : json(nullptr)},
    };
    json entry = {{"game", game.number},
                  {"pair", game.pair},
                  {"engines", Players(game)},
                  {"firstHammer", SideName(game.firstHammer)},
                  {"regularEnds", game.regularEnds},
                  {"ends", ends},
                  {"result", result}};
    if (game.start)
        entry["start"] = StartToJson(*game.start);
    return entry;
}

GameRecord GameFromJson(const json &entry)
{
    try {
        GameRecord game;
        game.number = entry.at("game").get<int>();
        game.pair = entry.value("pair", game.number);
        if (entry.contains("engines"))
            game.players = {entry.at("engines").at("A").get<int>(), entry.at("engines").at("B").get<int>()};
        game.firstHammer = SideFrom(entry.at("firstHammer"));
        game.regularEnds = entry.at("regularEnds").get<int>();
        if (entry.contains("start"))
            game.start = StartFromJson(entry.at("start"));
        for (const json &end : entry.at("ends"))
            game.ends.push_back(EndFromJson(end));
        const json &result = entry.at("result");
        if (!result.at("winner").is_null())
            game.winner = SideFrom(result.at("winner"));
        game.totals = {result.at("points").at("A").get<int>(), result.at("points").at("B").get<int>()};
        const json &forfeit = result.at("forfeit");
        if (!forfeit.is_null())
            game.forfeit = Forfeit{SideFrom(forfeit.at("engine")), forfeit.at("reason").get<std::string>(),
                                   forfeit.value("onTime", false)};
        game.times = TimesOf(game);
        return game;
    } catch (const nlohmann::json::exception &error) {
        throw RecordError(error.what());
    }
}

json RecordToJson(const MatchRecord &record)
{
    json games = json::array();
    for (const GameRecord &game : record.games) {
        json entry = GameToJson(game);
        entry.erase("pair");
        entry.erase("engines");
        games.push_back(entry);
    }
    return {
        {"format", FORMAT},
        {"version", VERSION},
        {"engines", {{"A", record.engines[0]}, {"B", record.engines[1]}}},
        {"seed", record.seed},
        {"error", record.error},
        {"ends", record.ends},
        {"timeout", record.timeoutSeconds},
        {"games", games},
    };
}

MatchRecord RecordFromJson(const json &document)
{
    try {
        if (!document.is_object() || document.value("format", "") != FORMAT)
            throw RecordError("not a pebble-match record");
        if (document.at("version").get<int>() != VERSION)
            throw RecordError("record version " + document.at("version").dump() + " is not supported");
        MatchRecord record;
        record.engines = {document.at("engines").at("A").get<std::string>(),
                          document.at("engines").at("B").get<std::string>()};
        record.names = {EngineName(record.engines[0]), EngineName(record.engines[1])};
        record.seed = document.at("seed").get<uint64_t>();
        record.error = static_cast<float>(document.at("error").get<double>());
        record.ends = document.at("ends").get<int>();
        record.timeoutSeconds = document.at("timeout").get<double>();
        for (const json &game : document.at("games"))
            record.games.push_back(GameFromJson(game));
        return record;
    } catch (const nlohmann::json::exception &error) {
        throw RecordError(error.what());
    }
}

}  // namespace match::record
