// granite-data as a child process: extraction of a handwritten record read
// back from its .npy files, its refusals of bad input, and validation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <nlohmann/json.hpp>

#include "engine_process.h"
#include "value/end_score_distribution.h"
#include "value/position_features.h"
#include "value/win_table.h"

namespace {

using granite::value::FEATURE_COUNT;
using nlohmann::json;

constexpr std::size_t LABELS = 19;
constexpr std::size_t POSITION_COLUMNS = 36;
constexpr int LAST_END = 1;
constexpr float TEE_X = static_cast<float>(TESSIVAL_TEE_X);
constexpr float TEE_Y = static_cast<float>(TESSIVAL_TEE_Y);

// Stone k where it rests once thrown: every third one out of play, the others
// spread over the house, no two alike.
std::array<float, 2> Resting(int k, int end)
{
    if (k % 3 == 2)
        return {0.0f, 0.0f};
    return {TEE_X + 0.21f * static_cast<float>((k + end) % 7 - 3), TEE_Y + 0.17f * static_cast<float>(k % 5) - 0.4f};
}

json Position(int shotIndex, int end)
{
    json stones = json::array();
    for (int k = 0; k < TESSIVAL_STONE_COUNT; ++k) {
        const std::array<float, 2> at = k < shotIndex ? Resting(k, end) : std::array<float, 2>{0.0f, 0.0f};
        stones.push_back({at[0], at[1]});
    }
    return stones;
}

// An end as pebble-match writes it, hammer "A" or "B", shots thrown of 16;
// score null for an end that a forfeit cut short.
json End(int index, const char *hammer, int shots, const json &score)
{
    json list = json::array();
    for (int shot = 0; shot < shots; ++shot) {
        const bool hammerThrows = shot % 2 == 1;
        const char *engine = hammerThrows == (std::string(hammer) == "A") ? "A" : "B";
        list.push_back({{"shotIndex", shot},
                        {"engine", engine},
                        {"position", Position(shot, index)},
                        {"state", {shot, index, LAST_END, hammerThrows ? 1 : 0}},
                        {"reply", "BESTSHOT 0.1 -2.2 0"},
                        {"shot", {{"vx", 0.1}, {"vy", -2.2}, {"spin", 0}}},
                        {"seed", 7},
                        {"resting", Position(shot + 1, index)}});
    }
    json end = {{"end", index}, {"hammer", hammer}, {"complete", !score.is_null()}, {"shots", list}};
    if (!score.is_null())
        end["score"] = score;
    return end;
}

json Game(int number, const json &ends, const json &winner, const json &points, const json &forfeit)
{
    return {{"game", number},
            {"pair", 1},
            {"engines", {{"A", 0}, {"B", 1}}},
            {"firstHammer", "B"},
            {"regularEnds", 2},
            {"ends", ends},
            {"result", {{"winner", winner}, {"points", points}, {"forfeit", forfeit}}}};
}

const std::string HEADER = R"({"format":"pebble-match record","version":2,"ends":2})";

// Game 1: B scores 2 with the hammer, then A, holding it, gives up a steal of 1:
// B wins 3-0. Game 2: A steals 1, then B forfeits during the second end.
std::vector<std::string> RecordLines()
{
    const json first = Game(1, {End(0, "B", 16, {{"A", 0}, {"B", 2}}), End(1, "A", 16, {{"A", 0}, {"B", 1}})}, "B",
                            {{"A", 0}, {"B", 3}}, nullptr);
    const json second = Game(2, {End(0, "B", 16, {{"A", 1}, {"B", 0}}), End(1, "B", 5, nullptr)}, "A",
                             {{"A", 1}, {"B", 0}}, {{"engine", "B"}, {"reason", "timeout"}});
    return {HEADER, first.dump(), second.dump()};
}
constexpr std::size_t RECORD_ROWS = 3 * 16;

struct Matrix {
    std::size_t rows = 0;
    std::size_t columns = 0;
    std::vector<float> values;

    float At(std::size_t row, std::size_t column) const { return values[row * columns + column]; }
};

// A .npy file as numpy would read it, checked to be version 1.0 little-endian
// float32 in C order with the header aligned to 64 bytes.
Matrix ReadNpy(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Matrix matrix;
    EXPECT_GE(bytes.size(), 10u) << path;
    if (bytes.size() < 10)
        return matrix;
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x93NUMPY\x01\x00", 8)) << path;
    const std::size_t length = static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
    EXPECT_EQ((10 + length) % 64, 0u) << path;
    const std::string dict = bytes.substr(10, length);
    EXPECT_EQ(dict.back(), '\n');
    EXPECT_EQ(std::sscanf(dict.c_str(), "{'descr': '<f4', 'fortran_order': False, 'shape': (%zu, %zu), }", &matrix.rows,
                          &matrix.columns),
              2)
        << dict;
    matrix.values.resize(matrix.rows * matrix.columns);
    EXPECT_EQ(bytes.size(), 10 + length + matrix.values.size() * sizeof(float)) << path;
    if (bytes.size() == 10 + length + matrix.values.size() * sizeof(float))
        std::memcpy(matrix.values.data(), bytes.data() + 10 + length, matrix.values.size() * sizeof(float));
    return matrix;
}

class GraniteData : public testing::Test {
protected:
    void SetUp() override
    {
        directory_ = testing::TempDir() + "granite-data-" + std::to_string(getpid()) + "-" +
                     testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(directory_);
        std::filesystem::create_directories(directory_);
    }
    void TearDown() override { std::filesystem::remove_all(directory_); }

    std::string Path(const std::string &name) const { return directory_ + "/" + name; }

    std::string WriteRecord(const std::string &name, const std::vector<std::string> &lines, bool lastLineFeed = true)
    {
        std::ofstream out(Path(name));
        for (std::size_t i = 0; i < lines.size(); ++i)
            out << lines[i] << (i + 1 < lines.size() || lastLineFeed ? "\n" : "");
        return Path(name);
    }

    static EngineRun Run(const std::vector<std::string> &arguments)
    {
        return RunEngine(GRANITE_DATA_EXECUTABLE, nullptr, "", arguments);
    }

    std::string directory_;
};

TEST_F(GraniteData, ExtractsEveryPositionOfCompleteEndsWithItsLabels)
{
    const std::string record = WriteRecord("games.jsonl", RecordLines());
    const EngineRun run = Run({"extract", "--out", Path("set"), record});
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.output.find("48 positions"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("3 ends of 2 games"), std::string::npos) << run.output;

    const Matrix features = ReadNpy(Path("set-features.npy"));
    const Matrix labels = ReadNpy(Path("set-labels.npy"));
    const Matrix positions = ReadNpy(Path("set-positions.npy"));
    ASSERT_EQ(features.rows, RECORD_ROWS);
    ASSERT_EQ(features.columns, static_cast<std::size_t>(FEATURE_COUNT));
    ASSERT_EQ(labels.rows, RECORD_ROWS);
    ASSERT_EQ(labels.columns, LABELS);
    ASSERT_EQ(positions.rows, RECORD_ROWS);
    ASSERT_EQ(positions.columns, POSITION_COLUMNS);

    // Per end: the hammer side's end score, its game result and its lead before the end.
    struct Expected {
        float score, result, lead;
    };
    const std::array<Expected, 3> ends = {{{2.0f, 1.0f, 0.0f}, {-1.0f, 0.0f, -2.0f}, {-1.0f, 0.0f, 0.0f}}};
    const granite::value::WinTable table(granite::value::MEASURED_END_SCORES);
    for (std::size_t row = 0; row < RECORD_ROWS; ++row) {
        const Expected &end = ends[row / 16];
        EXPECT_EQ(labels.At(row, 0), end.score) << row;
        EXPECT_EQ(labels.At(row, 1), end.result) << row;
        EXPECT_EQ(positions.At(row, 32), static_cast<float>(row % 16)) << row;
        EXPECT_EQ(positions.At(row, 35), end.lead) << row;

        // The position rebuilt from its row gives the row's inputs and win chances.
        GameState state{};
        for (int k = 0; k < TESSIVAL_STONE_COUNT; ++k) {
            state.stones[k][0] = positions.At(row, 2 * static_cast<std::size_t>(k));
            state.stones[k][1] = positions.At(row, 2 * static_cast<std::size_t>(k) + 1);
        }
        state.shotIndex = static_cast<int>(positions.At(row, 32));
        const granite::value::GameSituation situation = {static_cast<int>(positions.At(row, 33)),
                                                         static_cast<int>(positions.At(row, 34)), true,
                                                         static_cast<int>(positions.At(row, 35))};
        std::array<float, FEATURE_COUNT> expected{};
        granite::value::EncodePosition(state, granite::value::HammerContext(situation), expected);
        for (std::size_t column = 0; column < expected.size(); ++column)
            ASSERT_EQ(features.At(row, column), expected[column]) << row << " " << column;
        for (int k = -8; k <= 8; ++k)
            EXPECT_FLOAT_EQ(labels.At(row, static_cast<std::size_t>(k + 10)),
                            static_cast<float>(table.AfterEnd(situation, k)));
    }
    // Stones thrown later are out of play in the position before a throw.
    EXPECT_EQ(positions.At(16 + 3, 2 * 3), 0.0f);
    EXPECT_NE(positions.At(16 + 4, 2 * 3), 0.0f);
}

TEST_F(GraniteData, MirroredRowsFollowTheirOriginalsWithEveryOffsetAcrossNegated)
{
    const std::string record = WriteRecord("games.jsonl", RecordLines());
    const EngineRun run = Run({"extract", "--mirror", "--out", Path("set"), record});
    ASSERT_EQ(run.status, 0) << run.errors;
    const Matrix features = ReadNpy(Path("set-features.npy"));
    const Matrix labels = ReadNpy(Path("set-labels.npy"));
    const Matrix positions = ReadNpy(Path("set-positions.npy"));
    ASSERT_EQ(features.rows, 2 * RECORD_ROWS);
    ASSERT_EQ(labels.rows, 2 * RECORD_ROWS);
    ASSERT_EQ(positions.rows, 2 * RECORD_ROWS);
    int offsets = 0;
    for (std::size_t row = 0; row < 2 * RECORD_ROWS; row += 2) {
        for (std::size_t column = 0; column < LABELS; ++column)
            EXPECT_EQ(labels.At(row + 1, column), labels.At(row, column));
        for (std::size_t column = 0; column < static_cast<std::size_t>(FEATURE_COUNT); ++column) {
            const bool dx = column >= granite::value::STONES_FROM &&
                            (column - granite::value::STONES_FROM) % granite::value::SLOT_INPUTS == 1;
            const float original = features.At(row, column);
            EXPECT_NEAR(features.At(row + 1, column), dx ? -original : original, 1e-6f) << row << " " << column;
            offsets += dx && original != 0.0f;
        }
        for (std::size_t stone = 0; stone < 16; ++stone) {
            const float x = positions.At(row, 2 * stone);
            const float y = positions.At(row, 2 * stone + 1);
            EXPECT_EQ(positions.At(row + 1, 2 * stone), x == 0.0f && y == 0.0f ? 0.0f : 2 * TEE_X - x);
            EXPECT_EQ(positions.At(row + 1, 2 * stone + 1), y);
        }
    }
    EXPECT_GT(offsets, 100);  // the record's stones lie off the centre line
}

TEST_F(GraniteData, BadInputIsRefusedNamingFileAndLine)
{
    std::vector<std::string> lines = RecordLines();
    lines.insert(lines.begin() + 2, R"({"game": 3, "ends": [{"end": 0}]})");
    const std::string broken = WriteRecord("broken.jsonl", lines);
    EngineRun run = Run({"extract", "--out", Path("set"), broken});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find(broken + ":3: "), std::string::npos) << run.errors;
    EXPECT_FALSE(std::filesystem::exists(Path("set-features.npy")));

    const std::string headless = WriteRecord("headless.jsonl", {RecordLines()[1]});
    run = Run({"extract", "--out", Path("set"), headless});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find(headless + ":1: not the header"), std::string::npos) << run.errors;

    run = Run({"validate", Path("missing.jsonl")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find(Path("missing.jsonl") + ": cannot be opened"), std::string::npos) << run.errors;

    const std::string empty = WriteRecord("empty.jsonl", {});
    EXPECT_EQ(Run({"extract", "--out", Path("set"), empty}).status, 1);

    const std::string good = WriteRecord("games.jsonl", RecordLines());
    run = Run({"validate", "--weights", good, good});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("not a weights file"), std::string::npos) << run.errors;

    for (const std::vector<std::string> &usage :
         std::vector<std::vector<std::string>>{{},
                                               {"extract", good},
                                               {"extract", "--out", Path("set")},
                                               {"validate", "--playouts", "0", good},
                                               {"validate", "--every", "0", good},
                                               {"fidelity", "--rollout", "--weights", good, good},
                                               {"fidelity", "--positions", "0", good},
                                               {"train", good}}) {
        run = Run(usage);
        EXPECT_EQ(run.status, 2) << (usage.empty() ? "" : usage[0]);
        EXPECT_NE(run.errors.find("granite-data: "), std::string::npos);
    }
}

TEST_F(GraniteData, ATornLastLineIsLeftOutWithAWarning)
{
    std::vector<std::string> lines = RecordLines();
    lines.push_back(lines[1].substr(0, 200));
    const std::string record = WriteRecord("torn.jsonl", lines, false);
    const EngineRun run = Run({"extract", "--out", Path("set"), record});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.errors.find("cut short"), std::string::npos) << run.errors;
    EXPECT_EQ(ReadNpy(Path("set-labels.npy")).rows, RECORD_ROWS);
}

TEST_F(GraniteData, ValidatePrintsItsTablesAndTheSameFiguresEachTime)
{
    const std::string record = WriteRecord("games.jsonl", RecordLines());
    const EngineRun run = Run({"validate", "--playouts", "1,3", "--json", Path("first.json"), record});
    ASSERT_EQ(run.status, 0) << run.errors;
    for (const char *part : {"Log-loss", "Calibration", "CPU time", "3 play-outs", "0.9-1.0", " all "})
        EXPECT_NE(run.output.find(part), std::string::npos) << part << "\n" << run.output;
    ASSERT_EQ(Run({"validate", "--playouts", "1,3", "--json", Path("second.json"), record}).status, 0);

    std::ifstream firstFile(Path("first.json"));
    std::ifstream secondFile(Path("second.json"));
    json first = json::parse(firstFile);
    json second = json::parse(secondFile);
    EXPECT_EQ(first.at("positions"), RECORD_ROWS);
    int binned = 0;
    for (const json &bin : first.at("network").at("calibration"))
        binned += bin.at("count").get<int>();
    EXPECT_EQ(binned, static_cast<int>(RECORD_ROWS));
    ASSERT_EQ(first.at("playouts").size(), 2u);
    for (const json &baseline : first.at("playouts")) {
        const double loss = baseline.at("logLoss").at("overall").get<double>();
        EXPECT_TRUE(std::isfinite(loss) && loss > 0.0);  // smoothed: no score is ruled out
        const double alpha = baseline.at("alpha").get<double>();
        EXPECT_TRUE(alpha == 0.01 || alpha == 0.03 || alpha == 0.1 || alpha == 0.3 || alpha == 1.0) << alpha;
    }
    EXPECT_GT(first.at("cpuSeconds").at("perPlayout").get<double>(), 0.0);
    // Play-outs are seeded by position and number: only the times differ from run to run.
    first.erase("cpuSeconds");
    second.erase("cpuSeconds");
    EXPECT_EQ(first, second);

    // About one position in three, from shots all over the end, not one shot index in three.
    ASSERT_EQ(Run({"validate", "--playouts", "2", "--every", "3", "--json", Path("sparse.json"), record}).status, 0);
    std::ifstream sparseFile(Path("sparse.json"));
    const json sparse = json::parse(sparseFile);
    const std::size_t kept = sparse.at("positions").get<std::size_t>();
    EXPECT_GT(kept, RECORD_ROWS / 6);
    EXPECT_LT(kept, RECORD_ROWS / 2);
    int shots = 0;
    for (const json &count : sparse.at("positionsByShot"))
        shots += count.get<int>() > 0;
    EXPECT_GT(shots, 8);
}

// The handwritten games' last stones, searched by both judges: every one
// counted once, in one of the four outcomes.
TEST_F(GraniteData, FidelityCountsEveryLastStoneItSearches)
{
    const std::string record = WriteRecord("games.jsonl", RecordLines());
    for (const std::vector<std::string> &judge : {std::vector<std::string>{}, std::vector<std::string>{"--rollout"}}) {
        std::vector<std::string> arguments{"fidelity", "--nodes", "300", "--positions", "1"};
        arguments.insert(arguments.end(), judge.begin(), judge.end());
        arguments.push_back(record);
        const EngineRun run = Run(arguments);
        ASSERT_EQ(run.status, 0) << run.errors;
        EXPECT_NE(run.output.find("prefers a blank to one: 1 (of 2 games)"), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("between a blank and one alone: blank"), std::string::npos) << run.output;
    }
}

}  // namespace
