// The bench signature: one number that changes whenever the engine's play
// changes. It folds, with FNV-1a/64 over the exact bytes, the GO answers of the
// engine in process on a fixed set of positions, then every reply and every
// resting position of a seeded game of pebble against pebble through
// pebble-match. The physics library's generator is seeded explicitly, so the
// value depends on nothing but the code.
//
// Usage: bench_signature [--runner PATH] [--check FILE]
//   --runner  the pebble-match to play the game with (default: beside this program)
//   --check   compare with the value committed in FILE; exit status 1 when it differs
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <nlohmann/json.hpp>

#include "bench_processes.h"
#include "fixed_positions.h"
#include "game_state.h"
#include "shot_selection.h"
#include "simulator.h"

namespace {

constexpr const char *GENERATOR_SEED = "2026";
constexpr const char *MATCH_SEED = "2026";

struct Fold {
    uint64_t hash = 0xcbf29ce484222325ull;

    void Bytes(const void *data, size_t size)
    {
        const auto *bytes = static_cast<const unsigned char *>(data);
        for (size_t k = 0; k < size; ++k) {
            hash = (hash ^ bytes[k]) * 0x100000001b3ull;
        }
    }
    void Float(float value) { Bytes(&value, sizeof value); }
    void Integer(int32_t value) { Bytes(&value, sizeof value); }
    void Text(const std::string &text)
    {
        Integer(static_cast<int32_t>(text.size()));
        Bytes(text.data(), text.size());
    }
};

// Every shot index of the crowded house, an empty sheet (a draw to the tee;
// a last stone with draws only) and one own stone on the tee (a guard).
std::vector<GameState> SignaturePositions()
{
    std::vector<GameState> positions;
    for (int shot = 0; shot < 16; ++shot) {
        positions.push_back(bench::CrowdedHouse(shot));
    }
    for (const int shot : {0, 1, 15}) {
        GameState empty{};
        empty.shotIndex = shot;
        positions.push_back(empty);
    }
    GameState guard{};
    guard.shotIndex = 2;
    guard.stones[0][0] = 2.4f;
    guard.stones[0][1] = 4.9f;
    positions.push_back(guard);
    return positions;
}

int FoldPositions(Fold &fold)
{
    const std::vector<GameState> positions = SignaturePositions();
    for (const GameState &position : positions) {
        gameState = position;
        const ShotVector shot = ChooseShot();
        fold.Float(shot.vx);
        fold.Float(shot.vy);
        fold.Integer(shot.spin);
    }
    return static_cast<int>(positions.size());
}

void FoldStones(Fold &fold, const nlohmann::json &stones)
{
    for (const nlohmann::json &stone : stones) {
        // Floats written as doubles with every digit: the cast restores the bits.
        fold.Float(static_cast<float>(stone.at(0).get<double>()));
        fold.Float(static_cast<float>(stone.at(1).get<double>()));
    }
}

// The number of throws folded, or -1 when the game could not be played or read.
int FoldGame(Fold &fold, const std::string &runner)
{
    char path[] = "/tmp/pebble-signature-XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0) {
        return -1;
    }
    close(descriptor);
    const int status = bench::RunQuietly({runner, "--ends", "8", "--seed", MATCH_SEED, "--record", path});
    // JSON Lines: the header, then a line per game.
    std::ifstream input(path);
    std::vector<nlohmann::json> games;
    std::string line;
    std::getline(input, line);
    while (std::getline(input, line)) {
        games.push_back(nlohmann::json::parse(line, nullptr, false));
    }
    std::remove(path);
    if (status != 0 || games.empty()) {
        return -1;
    }
    int throws = 0;
    try {
        for (const nlohmann::json &game : games) {
            for (const nlohmann::json &end : game.at("ends")) {
                for (const nlohmann::json &shot : end.at("shots")) {
                    fold.Text(shot.at("reply").get<std::string>());
                    if (shot.contains("resting")) {
                        FoldStones(fold, shot.at("resting"));
                        ++throws;
                    }
                }
            }
        }
    } catch (const nlohmann::json::exception &) {
        return -1;
    }
    return throws;
}

std::string Hex(uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

std::string CommittedValue(const std::string &file)
{
    std::ifstream input(file);
    std::string value;
    input >> value;
    return value;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string runner = bench::ExecutableFolder() + "/pebble-match";
    std::string checkFile;
    for (int k = 1; k < argc; ++k) {
        const std::string option = argv[k];
        if ((option == "--runner" || option == "--check") && k + 1 < argc) {
            (option == "--runner" ? runner : checkFile) = argv[++k];
        } else {
            std::fprintf(stderr, "usage: bench_signature [--runner PATH] [--check FILE]\n");
            return 2;
        }
    }
    // Read by the library when it loads, here and in the engines of the game.
    setenv("TESSIVAL_SEED", GENERATOR_SEED, 1);
    if (!LoadSimulator()) {
        return 1;
    }
    Fold fold;
    const int answers = FoldPositions(fold);
    const std::string answersValue = Hex(fold.hash);
    const int throws = FoldGame(fold, runner);
    if (throws < 0) {
        std::fprintf(stderr, "bench_signature: the game through %s could not be played or read\n", runner.c_str());
        return 1;
    }
    const std::string value = Hex(fold.hash);
    std::printf("bench signature: %s (%d GO answers folding to %s, a game of %d throws)\n", value.c_str(), answers,
                answersValue.c_str(), throws);
    if (checkFile.empty()) {
        return 0;
    }
    const std::string committed = CommittedValue(checkFile);
    if (committed == value) {
        std::printf("matches %s\n", checkFile.c_str());
        return 0;
    }
    std::fprintf(stderr,
                 "bench_signature: %s holds %s: the engine's play changed. If that is meant, write the new "
                 "value there and say why in the commit message.\n",
                 checkFile.c_str(), committed.empty() ? "no value" : committed.c_str());
    return 1;
}
