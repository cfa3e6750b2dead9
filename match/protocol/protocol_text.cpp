#include "protocol/protocol_text.h"

#include <cstdio>

namespace match::protocol {

std::string PositionCommand(const GameState &state)
{
    std::string line = "POSITION";
    for (const auto &stone : state.stones) {
        for (float coordinate : stone) {
            char number[32];
            std::snprintf(number, sizeof number, " %.9g", static_cast<double>(coordinate));
            line += number;
        }
    }
    return line + "\n";
}

std::string ScoreCommand(const GamePoints &points)
{
    return "SCORE " + std::to_string(points.own) + " " + std::to_string(points.other) + "\n";
}

std::string TimeCommand(const ClockTimes &clock)
{
    return "TIME " + std::to_string(clock.own) + " " + std::to_string(clock.other) + "\n";
}

std::string SetStateCommand(const GameState &state)
{
    return "SETSTATE " + std::to_string(state.shotIndex) + " " + std::to_string(state.currentEnd) + " " +
           std::to_string(state.lastEnd) + " " + std::to_string(state.sideFlag) + "\n";
}

}  // namespace match::protocol
