#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/game_record.h"

namespace match::summary {

// An engine's think times over the summarised games, and with a clock the
// time left on its clock at each game's end; in milliseconds.
struct EngineTimes {
    std::string name;
    int shots = 0;  // the shots with a think time (records before think times have none)
    double meanThinkMs = 0.0;
    double longestThinkMs = 0.0;
    int clockGames = 0;  // the games played on a clock
    double meanLeftMs = 0.0;
    long long leastLeftMs = 0;
};

// One entry per engine, in the order of names.
std::vector<EngineTimes> TimeFigures(const std::vector<std::string> &names, const std::vector<game::GameRecord> &games);

// A line saying what is shown, then a row per engine: "pebble  think 0.153 s
// mean, 1.402 s longest  left 12.35 s mean, 4.10 s least" (left only with a
// clock). Empty when no shot has a think time.
std::string FormatTimeFigures(const std::vector<EngineTimes> &engines);

}  // namespace match::summary
