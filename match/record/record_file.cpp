#include "record/record_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "statistics/sprt.h"

namespace match::record {

using game::GameRecord;
using game::MatchRecord;
using nlohmann::json;
using setup::EngineEntry;
using setup::MatchSetup;
using statistics::ParseSprt;
using statistics::SprtTest;

namespace {

constexpr const char *FORMAT = "pebble-match record";
constexpr int VERSION = 2;

std::string SystemReason()
{
    return std::strerror(errno);
}

void SyncDirectoryOf(const std::string &path)
{
    std::string directory = std::filesystem::path(path).parent_path().string();
    int descriptor = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor < 0)
        return;
    fsync(descriptor);
    close(descriptor);
}

json ParseLine(const std::string &line, const std::string &path, int lineNumber)
{
    json parsed = json::parse(line, nullptr, false);
    if (parsed.is_discarded())
        throw RecordError(path + " line " + std::to_string(lineNumber) + " is not valid JSON");
    return parsed;
}

// Engines may answer bytes that are no UTF-8: they are written as U+FFFD
// rather than losing the record.
std::string RecordLine(const json &value)
{
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

// A game line names its two engines by their places in the header's list.
GameRecord CheckPlayers(GameRecord game, std::size_t engines, const std::string &where)
{
    for (int player : game.players)
        if (player < 0 || static_cast<std::size_t>(player) >= engines)
            throw RecordError(where + " names engine " + std::to_string(player) + " of the header's " +
                              std::to_string(engines));
    if (game.players[0] == game.players[1])
        throw RecordError(where + " plays an engine against itself");
    return game;
}

// The test the header's SPRT text gives.
SprtTest HeaderSprt(const std::string &text)
{
    std::string error;
    std::optional<SprtTest> test = ParseSprt(text, error);
    if (!test)
        throw RecordError("the header's sprt \"" + text + "\" is no test: " + error);
    return *test;
}

json TimeControlJson(const game::TimeControl &tc)
{
    return {{"seconds", tc.seconds}, {"increment", tc.increment}};
}

// A header's "tc", absent without a clock.
std::optional<game::TimeControl> TimeControlFrom(const json &object)
{
    if (!object.contains("tc"))
        return std::nullopt;
    const json &tc = object.at("tc");
    return game::TimeControl{tc.at("seconds").get<double>(), tc.at("increment").get<double>()};
}

bool IsVersion2Header(const json &header)
{
    return header.is_object() && header.value("format", "") == FORMAT && header.value("version", 0) == VERSION;
}

}  // namespace

json HeaderToJson(const MatchSetup &setup)
{
    json engines = json::array();
    for (const EngineEntry &engine : setup.engines) {
        json entry = {{"name", engine.name}, {"command", engine.command}};
        if (engine.tc)
            entry["tc"] = TimeControlJson(*engine.tc);
        engines.push_back(entry);
    }
    json header = {{"format", FORMAT},
                   {"version", VERSION},
                   {"engines", engines},
                   {"gauntlet", setup.gauntlet},
                   {"ends", setup.ends},
                   {"games", setup.games},
                   {"seed", setup.seed},
                   {"error", setup.error},
                   {"timeout", setup.timeoutSeconds},
                   {"shard", {setup.shard.index, setup.shard.count}},
                   {"sprt", setup.sprt.empty() ? json(nullptr) : json(setup.sprt)},
                   {"anchor", setup.anchor ? json(*setup.anchor) : json(nullptr)}};
    if (setup.positions)
        header["positions"] = {
            {"file", setup.positions->file}, {"sha256", setup.positions->sha256}, {"count", setup.positions->count}};
    if (setup.tc)
        header["tc"] = TimeControlJson(*setup.tc);
    return header;
}

MatchSetup HeaderFromJson(const json &header)
{
    if (!IsVersion2Header(header))
        throw RecordError("the first line is no pebble-match record header of version 2");
    try {
        MatchSetup setup;
        for (const json &engine : header.at("engines"))
            setup.engines.push_back({engine.at("name").get<std::string>(), engine.at("command").get<std::string>(),
                                     TimeControlFrom(engine)});
        setup.tc = TimeControlFrom(header);
        setup.gauntlet = header.at("gauntlet").get<bool>();
        setup.ends = header.at("ends").get<int>();
        setup.games = header.at("games").get<int>();
        setup.seed = header.at("seed").get<uint64_t>();
        setup.error = header.at("error").get<double>();
        setup.timeoutSeconds = header.at("timeout").get<double>();
        setup.shard = {header.at("shard").at(0).get<int>(), header.at("shard").at(1).get<int>()};
        if (!header.at("sprt").is_null())
            setup.sprt = header.at("sprt").get<std::string>();
        if (!setup.sprt.empty())
            setup.sprtTest = HeaderSprt(setup.sprt);
        if (!header.at("anchor").is_null())
            setup.anchor = header.at("anchor").get<std::string>();
        if (header.contains("positions")) {
            const json &positions = header.at("positions");
            setup.positions = setup::PositionSet{positions.at("file").get<std::string>(),
                                                 positions.at("sha256").get<std::string>(),
                                                 positions.at("count").get<int>(),
                                                 {}};
        }
        return setup;
    } catch (const json::exception &error) {
        throw RecordError(std::string("the header: ") + error.what());
    }
}

// Two values of a header's key give the same setting: they are equal, or
// they are SPRT texts of one test ("elo1=5 elo0=0" and "elo0=0 elo1=5 alpha=0.05"),
// or positions files of the same content under any path.
bool SameSetting(const std::string &key, const json &a, const json &b)
{
    if (a == b)
        return true;
    if (key == "positions")
        return a.is_object() && b.is_object() && a.value("sha256", "") == b.value("sha256", "") &&
               a.value("count", -1) == b.value("count", -1);
    if (key != "sprt" || !a.is_string() || !b.is_string())
        return false;
    std::string error;
    std::optional<SprtTest> first = ParseSprt(a.get<std::string>(), error);
    std::optional<SprtTest> second = ParseSprt(b.get<std::string>(), error);
    return first && second && *first == *second;
}

// "positions.jsonl (14 positions, sha256 1f3a...)", or "no --positions".
std::string PositionsText(const json &positions)
{
    if (!positions.is_object())
        return "no --positions";
    return positions.value("file", "") + " (" + std::to_string(positions.value("count", 0)) + " positions, sha256 " +
           positions.value("sha256", "") + ")";
}

std::string PositionsDifference(const json &recorded, const json &wanted)
{
    json none = nullptr;
    const json &there = recorded.contains("positions") ? recorded.at("positions") : none;
    const json &here = wanted.contains("positions") ? wanted.at("positions") : none;
    if (there.is_null() && here.is_null())
        return "";
    if (!there.is_null() && !here.is_null() && SameSetting("positions", there, here))
        return "";
    return "the start positions differ: " + PositionsText(there) + " there, " + PositionsText(here) + " here";
}

std::string HeaderDifference(const json &recorded, const json &wanted)
{
    for (const auto &[key, value] : wanted.items())
        if (key != "positions" && (!recorded.contains(key) || !SameSetting(key, recorded.at(key), value)))
            return key + " is " + (recorded.contains(key) ? recorded.at(key).dump() : "missing") + " there, " +
                   value.dump() + " here";
    // Optional keys ("tc") that only the recorded header has.
    for (const auto &[key, value] : recorded.items())
        if (key != "positions" && !wanted.contains(key))
            return key + " is " + value.dump() + " there, missing here";
    return PositionsDifference(recorded, wanted);
}

MatchRecord MatchRecordOf(const MatchSetup &setup)
{
    MatchRecord record;
    for (const EngineEntry &engine : setup.engines) {
        record.engines.push_back(engine.command);
        record.names.push_back(engine.name);
    }
    record.seed = setup.seed;
    record.error = static_cast<float>(setup.error);
    record.ends = setup.ends;
    record.timeoutSeconds = setup.timeoutSeconds;
    return record;
}

RecordContents ReadRecordLines(const std::string &path)
{
    std::vector<GameRecord> games;
    RecordContents contents = ReadRecordGames(path, [&](GameRecord &&game) { games.push_back(std::move(game)); });
    contents.games = std::move(games);
    return contents;
}

RecordContents ReadRecordGames(const std::string &path, const std::function<void(GameRecord &&)> &visit)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw RecordError("cannot open " + path + ": " + SystemReason());
    RecordContents contents;
    std::string line;
    int lineNumber = 0;
    while (std::getline(file, line)) {
        if (file.eof()) {
            contents.torn = true;
            break;
        }
        json parsed = ParseLine(line, path, ++lineNumber);
        if (lineNumber == 1) {
            contents.setup = HeaderFromJson(parsed);
            contents.header = parsed;
        } else {
            std::string where = path + " line " + std::to_string(lineNumber);
            visit(CheckPlayers(GameFromJson(parsed), contents.setup.engines.size(), where));
        }
        contents.wholeBytes += line.size() + 1;
    }
    if (lineNumber == 0)
        throw RecordError(path + " holds no header line");
    return contents;
}

bool HeaderCutShort(const std::string &path, const json &header)
{
    std::string line = RecordLine(header);
    std::ifstream file(path, std::ios::binary);
    std::string start(line.size() + 1, '\0');
    file.read(start.data(), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<std::size_t>(file.gcount()));
    return line.starts_with(start);
}

std::optional<int> RepeatedGame(const std::vector<GameRecord> &games, std::set<int> &numbers)
{
    for (const GameRecord &game : games)
        if (!numbers.insert(game.number).second)
            return game.number;
    return std::nullopt;
}

MatchRecord ReadRecordFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw RecordError("cannot open " + path + ": " + SystemReason());
    std::string first;
    std::getline(file, first);
    if (!IsVersion2Header(json::parse(first, nullptr, false))) {
        file.clear();
        file.seekg(0);
        json document = json::parse(file, nullptr, false);
        if (document.is_discarded())
            throw RecordError(path + " is not valid JSON");
        return RecordFromJson(document);
    }
    RecordContents contents = ReadRecordLines(path);
    MatchRecord record = MatchRecordOf(contents.setup);
    record.games = std::move(contents.games);
    return record;
}

RecordWriter::RecordWriter(const std::string &path, const json &header) : path_(path)
{
    descriptor_ = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor_ < 0)
        throw RecordError("cannot write " + path + ": " + SystemReason());
    WriteLine(RecordLine(header));
    SyncDirectoryOf(path);
}

RecordWriter::RecordWriter(const std::string &path, std::uintmax_t wholeBytes) : path_(path)
{
    descriptor_ = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (descriptor_ < 0 || ftruncate(descriptor_, static_cast<off_t>(wholeBytes)) != 0)
        throw RecordError("cannot write " + path + ": " + SystemReason());
}

RecordWriter::~RecordWriter()
{
    if (descriptor_ >= 0)
        close(descriptor_);
}

void RecordWriter::Write(const GameRecord &game)
{
    WriteLine(RecordLine(GameToJson(game)));
}

// One write per line, so that a kill tears at most the line being written.
void RecordWriter::WriteLine(const std::string &line)
{
    std::string whole = line + "\n";
    std::size_t done = 0;
    while (done < whole.size()) {
        ssize_t written = write(descriptor_, whole.data() + done, whole.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw RecordError("cannot write " + path_ + ": " + SystemReason());
        done += static_cast<std::size_t>(written);
    }
    if (fsync(descriptor_) != 0)
        throw RecordError("cannot write " + path_ + ": " + SystemReason());
}

void SortRecord(const std::string &path, const std::function<bool(int number)> &keep, RecordLock &lock)
{
    std::ifstream file(path, std::ios::binary);
    std::string header;
    std::getline(file, header);
    struct Place {
        int number;
        std::streamoff offset;
    };
    std::vector<Place> games;
    std::streamoff offset = file.tellg();
    for (std::string line; std::getline(file, line); offset = file.tellg()) {
        int number = json::parse(line).at("game").get<int>();
        if (keep(number))
            games.push_back({number, offset});
    }
    std::stable_sort(games.begin(), games.end(), [](const Place &a, const Place &b) { return a.number < b.number; });
    std::string sorted = path + ".sorting";
    {
        RecordWriter writer(sorted, json::parse(header));
        file.clear();
        for (const Place &game : games) {
            std::string line;
            file.seekg(game.offset);
            std::getline(file, line);
            writer.WriteLine(line);
        }
    }
    lock.ReplaceWith(sorted);
    SyncDirectoryOf(path);
}

}  // namespace match::record
