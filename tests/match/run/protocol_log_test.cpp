#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <unistd.h>

#include "protocol/protocol_text.h"
#include "record/record_file.h"
#include "run_program.h"
#include "test_directory.h"

using namespace match::game;
using namespace match::record;

namespace {

using namespace std::chrono_literals;

const std::string RUNNER = PEBBLE_MATCH_PATH;
const std::string ENGINE = SCRIPTED_ENGINE_PATH;

struct Entry {
    double seconds = 0.0;
    int game = 0;
    char side = 0;
    std::string name;
    char mark = 0;
    std::string text;
};

// The entries of a log; a line that is no entry fails the test.
std::vector<Entry> ReadLog(const std::string &path)
{
    static const std::regex ENTRY(R"(^(\d+\.\d{3}) \[game (\d+) ([AB]) ([^\]]+)\] ([<>!#]) (.*)$)");
    std::vector<Entry> entries;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        std::smatch fields;
        if (!std::regex_match(line, fields, ENTRY)) {
            ADD_FAILURE() << "not a log entry: " << line;
            continue;
        }
        entries.push_back(
            {std::stod(fields[1]), std::stoi(fields[2]), fields[3].str()[0], fields[4], fields[5].str()[0], fields[6]});
    }
    return entries;
}

class ProtocolLog : public TestDirectory {};

TEST_F(ProtocolLog, ConcurrentGamesLogEveryLineWholeAndInOrder)
{
    ProgramRun run = RunProgram({RUNNER, "--games", "4", "--concurrency", "2", "--ends", "1", "--log", Path("log"),
                                 "--record", Path("record"), ENGINE + " chatty", ENGINE + " steady"},
                                60s);
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<Entry> entries = ReadLog(Path("log"));
    MatchRecord record = ReadRecordFile(Path("record"));
    ASSERT_EQ(record.games.size(), 4u);

    // Per game and side: what was sent and received, and the engine's errors.
    using Engine = std::pair<int, char>;  // game number and side
    std::map<Engine, std::vector<Entry>> talk;
    std::map<Engine, int> errors;
    double last = 0.0;
    for (const Entry &entry : entries) {
        EXPECT_GE(entry.seconds, last) << "entries are written in time order";
        last = entry.seconds;
        EXPECT_EQ(entry.name, entry.side == 'A' ? "scripted_engine" : "scripted_engine-2");
        EXPECT_NE(entry.mark, '#') << entry.text;
        if (entry.mark == '!') {
            EXPECT_TRUE(entry.text.starts_with("thinking about GO ")) << entry.text;
            ++errors[{entry.game, entry.side}];
        } else {
            talk[{entry.game, entry.side}].push_back(entry);
        }
    }
    for (const GameRecord &game : record.games) {
        EXPECT_GT(errors[Engine(game.number, 'A')], 0) << "the chatty engine's errors of game " << game.number;
        EXPECT_EQ(errors[Engine(game.number, 'B')], 0);
        // The commands and replies of each engine, as the record has its shots.
        for (char side : {'A', 'B'}) {
            std::vector<std::string> expected = {"> NEWGAME", "> ISREADY", "< READYOK"};
            for (const EndRecord &end : game.ends)
                for (const ShotRecord &shot : end.shots) {
                    if (Letter(shot.engine) != side)
                        continue;
                    std::string position = match::protocol::PositionCommand(shot.sent);
                    std::string state = match::protocol::SetStateCommand(shot.sent);
                    expected.push_back("> " + position.substr(0, position.size() - 1));
                    expected.push_back("> " + state.substr(0, state.size() - 1));
                    expected.push_back("> SCORE");
                    expected.push_back("> GO");
                    expected.push_back("< " + shot.reply);
                }
            std::vector<std::string> logged;
            for (const Entry &entry : talk[Engine(game.number, side)])
                logged.push_back(std::string(1, entry.mark) + " " +
                                 (entry.text.starts_with("SCORE ") ? std::string("SCORE") : entry.text));
            EXPECT_EQ(logged, expected) << "game " << game.number << " " << side;
        }
    }
}

TEST_F(ProtocolLog, NotesWhyAnEngineForfeits)
{
    struct Case {
        const char *mode;
        int status;            // crashing in its first game stops the run
        const char *received;  // the last entry received, if any
        const char *note;
    };
    for (const Case &fault :
         {Case{"partial", 0, "BESTSHOT 0.079850 -2.128900",
               "answered \"BESTSHOT 0.079850 -2.128900\": the line ends before the spin on shot 2 of end 1"},
          Case{"silent", 0, nullptr, "did not answer GO within 0.5 s on shot 2 of end 1"},
          Case{"crash", 3, nullptr, "exited with status 3 before answering ISREADY"}}) {
        std::string log = Path(std::string(fault.mode) + ".log");
        ProgramRun run = RunProgram(
            {RUNNER, "--timeout", "0.5", "--ends", "1", "--log", log, ENGINE + " steady", ENGINE + " " + fault.mode},
            20s);
        EXPECT_EQ(run.status, fault.status) << run.err;
        std::vector<Entry> entries = ReadLog(log);
        ASSERT_FALSE(entries.empty());
        const Entry &note = entries.back();
        EXPECT_EQ(note.side, 'B');
        EXPECT_EQ(note.mark, '#');
        EXPECT_EQ(note.text, fault.note);
        if (fault.received) {
            ASSERT_GE(entries.size(), 2u);
            EXPECT_EQ(entries[entries.size() - 2].mark, '<');
            EXPECT_EQ(entries[entries.size() - 2].text, fault.received);
        }
    }
}

TEST_F(ProtocolLog, ALogThatCannotBeWrittenStopsTheRunBeforeItsFirstGame)
{
    ProgramRun run =
        RunProgram({RUNNER, "--ends", "1", "--log", Path("missing/log"), ENGINE + " steady", ENGINE + " steady"}, 20s);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot write " + Path("missing/log")), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

}  // namespace
