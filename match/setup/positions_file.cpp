#include "setup/positions_file.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>
#include <openssl/evp.h>

#include "in_play.h"
#include "sheet_area.h"

namespace match::setup {

using game::StartPosition;
using nlohmann::json;

namespace {

constexpr int STONES = TESSIVAL_STONE_COUNT;
constexpr int MOST_POINTS = 1000000;  // keeps a game's totals far from overflow

const std::set<std::string> FIELDS = {"name", "end", "shot", "score", "hammer", "stones"};

// What is wrong with one line, thrown and caught within this file only.
struct LineFault {
    std::string what;
};

std::string Coordinates(const float stone[2])
{
    char text[64];
    std::snprintf(text, sizeof text, "(%g, %g)", static_cast<double>(stone[0]), static_cast<double>(stone[1]));
    return text;
}

const json &Field(const json &line, const char *name)
{
    if (!line.contains(name))
        throw LineFault{std::string("the field \"") + name + "\" is missing"};
    return line.at(name);
}

// A whole number within [lowest, highest], or the fault naming the field.
int WholeNumber(const json &value, const std::string &field, int lowest, int highest)
{
    if (!value.is_number_integer())
        throw LineFault{field + " is " + value.dump() + ", not a whole number"};
    const auto number = value.get<std::int64_t>();
    if (number < lowest || number > highest)
        throw LineFault{field + " is " + std::to_string(number) + ", not from " + std::to_string(lowest) + " to " +
                        std::to_string(highest)};
    return static_cast<int>(number);
}

void ReadScore(const json &value, StartPosition &position)
{
    if (!value.is_array() || value.size() != 2)
        throw LineFault{"score is " + value.dump() + ", not the points of side 0 and side 1"};
    for (std::size_t side = 0; side < 2; ++side) {
        const std::string field = "the score of side " + std::to_string(side);
        if (value[side].is_number() && value[side].get<double>() < 0)
            throw LineFault{field + " is negative"};
        position.score[side] = WholeNumber(value[side], field, 0, MOST_POINTS);
    }
}

void ReadStones(const json &value, StartPosition &position)
{
    if (!value.is_array())
        throw LineFault{"stones is not a list of 16 [x, y] pairs"};
    if (value.size() != STONES)
        throw LineFault{"stones holds " + std::to_string(value.size()) + " stones, not 16"};
    for (std::size_t k = 0; k < STONES; ++k) {
        const json &stone = value[k];
        const std::string name = "stone " + std::to_string(k);
        if (!stone.is_array() || stone.size() != 2)
            throw LineFault{name + " is " + stone.dump() + ", not an [x, y] pair"};
        for (std::size_t axis = 0; axis < 2; ++axis) {
            if (!stone[axis].is_number())
                throw LineFault{name + "'s " + (axis == 0 ? "x" : "y") + " is " + stone[axis].dump() +
                                ", not a number"};
            position.stones[k][axis] = static_cast<float>(stone[axis].get<double>());
        }
    }
}

// Where the stones lie, judged by the rules: thrown stones in play on the
// sheet and apart, the stones still to throw at 0, 0.
void CheckStones(const StartPosition &position)
{
    for (int k = 0; k < STONES; ++k) {
        const float *stone = position.stones[k];
        if (!rules::InPlay(stone))
            continue;
        const std::string name = "stone " + std::to_string(k);
        if (k >= position.shot)
            throw LineFault{name + " lies at " + Coordinates(stone) + " but is not thrown yet (shot is " +
                            std::to_string(position.shot) + "): put it at 0, 0"};
        if (!rules::OnSheet(static_cast<double>(stone[0]), static_cast<double>(stone[1])))
            throw LineFault{name + " at " + Coordinates(stone) + " is outside the sheet"};
        for (int other = 0; other < k; ++other)
            if (rules::InPlay(position.stones[other]) && rules::Overlapping(stone, position.stones[other]))
                throw LineFault{name + " at " + Coordinates(stone) + " overlaps stone " + std::to_string(other) +
                                " at " + Coordinates(position.stones[other])};
    }
}

StartPosition ReadLine(const std::string &text, int lineNumber, int ends)
{
    json line = json::parse(text, nullptr, false);
    if (line.is_discarded())
        throw LineFault{"not JSON"};
    if (!line.is_object())
        throw LineFault{"not a JSON object"};
    for (const auto &[key, value] : line.items())
        if (!FIELDS.contains(key))
            throw LineFault{"unknown field \"" + key + "\""};
    StartPosition position;
    position.line = lineNumber;
    position.name = "line " + std::to_string(lineNumber);
    if (line.contains("name")) {
        if (!line.at("name").is_string() || line.at("name").get<std::string>().empty())
            throw LineFault{"name is " + line.at("name").dump() + ", not a text"};
        position.name = line.at("name").get<std::string>();
    }
    const json &end = Field(line, "end");
    if (end.is_number_integer() && end.get<std::int64_t>() >= ends)
        throw LineFault{"end " + end.dump() + " is at or beyond the game's " + std::to_string(ends) +
                        " regular ends (--ends; ends count from 0)"};
    position.end = WholeNumber(end, "end", 0, ends - 1);
    position.shot = WholeNumber(Field(line, "shot"), "shot", 0, STONES - 1);
    ReadScore(Field(line, "score"), position);
    position.hammer = WholeNumber(Field(line, "hammer"), "hammer", 0, 1);
    ReadStones(Field(line, "stones"), position);
    CheckStones(position);
    return position;
}

bool Blank(const std::string &line)
{
    return line.find_first_not_of(" \t\r") == std::string::npos;
}

std::string Sha256(const std::string &bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
    std::string hex;
    char pair[3];
    for (unsigned int k = 0; k < length; ++k) {
        std::snprintf(pair, sizeof pair, "%02x", digest[k]);
        hex += pair;
    }
    return hex;
}

}  // namespace

std::string PositionsFromText(const std::string &text, int ends, std::vector<StartPosition> &positions)
{
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (Blank(line))
            continue;
        try {
            positions.push_back(ReadLine(line, number, ends));
        } catch (const LineFault &fault) {
            return "line " + std::to_string(number) + ": " + fault.what;
        }
    }
    return positions.empty() ? "holds no position" : "";
}

std::optional<PositionSet> ReadPositionsFile(const std::string &path, int ends, std::string &error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read the positions file " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    PositionSet set{path, Sha256(text), 0, {}};
    std::string fault = PositionsFromText(text, ends, set.positions);
    if (!fault.empty()) {
        error = "the positions file " + path + " " + fault;
        return std::nullopt;
    }
    set.count = static_cast<int>(set.positions.size());
    return set;
}

}  // namespace match::setup
