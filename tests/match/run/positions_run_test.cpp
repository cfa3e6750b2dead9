#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "pausing_match.h"
#include "run_program.h"
#include "test_directory.h"
#include "without_times.h"

using namespace match::process;
using nlohmann::json;

namespace {

using namespace std::chrono_literals;

const std::string RUNNER = PEBBLE_MATCH_PATH;
const std::string ENGINE = SCRIPTED_ENGINE_PATH;

// Stone 0 in the house and stone 5 on the centre line, both exact in float.
const std::string STONES = "[[2.5, 5.25], [0, 0], [0, 0], [0, 0], [0, 0], [2.375, 7.5], [0, 0], [0, 0], "
                           "[0, 0], [0, 0], [0, 0], [0, 0], [0, 0], [0, 0], [0, 0], [0, 0]]";
// As POSITION sends them: stones 1 to 4 and 6 to 15 at 0, 0.
std::string SentStones()
{
    std::string zeros;
    for (int k = 0; k < 10; ++k)
        zeros += " 0 0";
    return "POSITION 2.5 5.25" + zeros.substr(0, 16) + " 2.375 7.5" + zeros;
}

std::vector<json> GameLines(const std::string &path)
{
    std::vector<json> games;
    std::istringstream lines(FileText(path));
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line))
        games.push_back(json::parse(line));
    return games;
}

// The first line sent to a game's engines that starts with command, with its label.
std::string FirstSent(const std::string &log, int game, const std::string &command)
{
    std::istringstream lines(log);
    std::string line;
    const std::string label = "[game " + std::to_string(game) + " ";
    while (std::getline(lines, line)) {
        std::size_t at = line.find(label);
        std::size_t sent = line.find("] > " + command);
        if (at != std::string::npos && sent != std::string::npos)
            return line.substr(at + label.size(), 1) + " " + line.substr(sent + 4);
    }
    return "";
}

class PositionsRun : public TestDirectory {
protected:
    void WritePositions(const std::string &name, const std::string &text) const
    {
        std::ofstream(Path(name), std::ios::binary | std::ios::trunc) << text;
    }
};

TEST_F(PositionsRun, AGameStartsFromThePositionAndThePairSwapsTheSides)
{
    WritePositions("p.jsonl",
                   R"({"name": "late guard", "end": 1, "shot": 13, "score": [4, 0], "hammer": 0, "stones": )" + STONES +
                       "}\n");
    ProgramRun run = RunProgram({RUNNER, "--ends", "2", "--games", "2", "--seed", "3", "--positions", Path("p.jsonl"),
                                 "--record", Path("r.jsonl"), "--log", Path("log"), "--svg", Path("svg"),
                                 ENGINE + " steady", ENGINE + " steady"},
                                60s);
    ASSERT_EQ(run.status, 0) << run.err;
    // Stone 13 is the hammer's: side 0's, A in the first game and B in the second; no tie is possible.
    std::string log = FileText(Path("log"));
    EXPECT_EQ(FirstSent(log, 1, "POSITION"), "A " + SentStones());
    EXPECT_EQ(FirstSent(log, 1, "SETSTATE"), "A SETSTATE 13 1 1 1");
    EXPECT_EQ(FirstSent(log, 1, "SCORE"), "A SCORE 4 0");
    EXPECT_EQ(FirstSent(log, 2, "POSITION"), "B " + SentStones());
    EXPECT_EQ(FirstSent(log, 2, "SETSTATE"), "B SETSTATE 13 1 1 1");
    EXPECT_EQ(FirstSent(log, 2, "SCORE"), "B SCORE 4 0");

    std::vector<json> games = GameLines(Path("r.jsonl"));
    ASSERT_EQ(games.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) {
        const json &game = games[k];
        const std::string side0 = k == 0 ? "A" : "B";
        EXPECT_EQ(game["start"]["name"], "late guard");
        EXPECT_EQ(game["start"]["line"], 1);
        EXPECT_EQ(game["start"]["side0"], side0);
        EXPECT_EQ(game["firstHammer"], side0);
        EXPECT_EQ(game["ends"][0]["end"], 1);
        EXPECT_EQ(game["ends"][0]["shots"][0]["shotIndex"], 13);
        EXPECT_EQ(game["ends"][0]["shots"].size(), 3u);
        int scored = 0;
        for (const json &end : game["ends"])
            scored += end["score"][side0].get<int>();
        EXPECT_EQ(game["result"]["points"][side0], 4 + scored) << "the four points it started with count";
    }
    EXPECT_NE(run.out.find("(S: from \"late guard\" (line 1): end 2 with stone 14 to throw, A 4 - B 0, hammer A)"),
              std::string::npos)
        << run.out;
    EXPECT_NE(FileText(Path("svg/game2-overview.svg")).find("late guard"), std::string::npos);
    EXPECT_NE(FileText(Path("svg/game1-end02.svg")).find("class=\"start-stone\""), std::string::npos);

    ProgramRun replay = RunProgram({RUNNER, "--replay", Path("r.jsonl"), "--html", Path("r.html")}, 60s);
    EXPECT_EQ(replay.status, 0) << replay.out << replay.err;
    EXPECT_NE(replay.out.find("Replay of 6 shots in 2 games: every resting position is identical"), std::string::npos)
        << replay.out;
    EXPECT_NE(FileText(Path("r.html")).find("\"opening\":[[0,2500,5250],[5,2375,7500]]"), std::string::npos);

    ProgramRun summary = RunProgram({RUNNER, "--summary", Path("r.jsonl")}, 30s);
    EXPECT_NE(summary.out.find("Start positions"), std::string::npos) << summary.out;
    ProgramRun summaryJson = RunProgram({RUNNER, "--summary", Path("r.jsonl"), "--json"}, 30s);
    json positions = json::parse(summaryJson.out)["positions"];
    ASSERT_EQ(positions.size(), 1u) << summaryJson.out;
    EXPECT_EQ(positions[0]["name"], "late guard");
    EXPECT_EQ(positions[0]["pairs"], 1);
    EXPECT_EQ(positions[0]["games"], 2);
}

TEST_F(PositionsRun, ABadFileStopsTheRunBeforeItStartsNamingTheLine)
{
    WritePositions("p.jsonl",
                   R"({"end": 0, "shot": 2, "score": [0, 0], "hammer": 0, "stones": )" + STONES + "}\n{\"end\": 0}\n");
    ProgramRun run = RunProgram(
        {RUNNER, "--positions", Path("p.jsonl"), "--record", Path("r.jsonl"), ENGINE + " steady", ENGINE + " steady"},
        30s);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "pebble-match: the positions file " + Path("p.jsonl") +
                           " line 1: stone 5 lies at (2.375, 7.5) but is not thrown yet (shot is 2): put it at 0, 0\n");
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(Path("r.jsonl"))) << "nothing was started";
}

TEST_F(PositionsRun, AKilledRunResumesWithItsPositionsAndRefusesAChangedFile)
{
    const std::string first =
        R"({"name": "one", "end": 0, "shot": 6, "score": [0, 0], "hammer": 1, "stones": )" + STONES + "}\n";
    WritePositions("p.jsonl", first + R"({"name": "two", "end": 0, "shot": 0, "score": [1, 0], "hammer": 0, )"
                                      R"("stones": [[0, 0], [0, 0], [0, 0], [0, 0], [0, 0], [0, 0], [0, 0], [0, 0], )"
                                      R"([0, 0], [0, 0], [0, 0], [0, 0], [0, 0], [0, 0], [0, 0], [0, 0]]})"
                                      "\n");
    auto match = [&](const std::string &record, std::vector<std::string> extra) {
        extra.insert(extra.begin(), {"--positions", Path("p.jsonl")});
        return PausingMatch(Path(record), extra);
    };
    ASSERT_EQ(RunProgram(match("whole.jsonl", {}), 120s).status, 0);

    std::unique_ptr<ChildProcess> killed = StartProgram(match("cut.jsonl", {}), Path("out"), Path("err"));
    for (int wait = 0; wait < 3000 && GameLines(Path("cut.jsonl")).size() < 2; ++wait)
        std::this_thread::sleep_for(10ms);
    kill(killed->Pid(), SIGKILL);
    bool timedOut = false;
    WaitProgram(*killed, 10s, timedOut);
    ASSERT_LT(GameLines(Path("cut.jsonl")).size(), 6u) << "killed before the end";

    ProgramRun resumed = RunProgram(match("cut.jsonl", {"--resume", "--concurrency", "2"}), 120s);
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(WithoutTimes(FileText(Path("cut.jsonl"))), WithoutTimes(FileText(Path("whole.jsonl"))));
    std::vector<json> games = GameLines(Path("whole.jsonl"));
    EXPECT_EQ(games[2]["start"]["name"], "two") << "pair 2 plays the second position";
    EXPECT_EQ(games[4]["start"]["name"], "one") << "pair 3 the first again";

    WritePositions("p.jsonl", first);
    ProgramRun refused = RunProgram(match("cut.jsonl", {"--resume"}), 30s);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("cannot resume " + Path("cut.jsonl") +
                               ": it was made with other options: the start positions differ: " + Path("p.jsonl") +
                               " (2 positions"),
              std::string::npos)
        << refused.err;
}

}  // namespace
