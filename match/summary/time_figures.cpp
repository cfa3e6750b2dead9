#include "summary/time_figures.h"

#include <algorithm>
#include <cstdio>

namespace match::summary {

using game::GameRecord;
using game::ThinkTimes;

namespace {

std::string Seconds(double ms, const char *format)
{
    char text[48];
    std::snprintf(text, sizeof text, format, ms / 1000.0);
    return text;
}

}  // namespace

std::vector<EngineTimes> TimeFigures(const std::vector<std::string> &names, const std::vector<GameRecord> &games)
{
    std::vector<EngineTimes> engines(names.size());
    std::vector<double> totalThinkMs(names.size(), 0.0);
    std::vector<double> totalLeftMs(names.size(), 0.0);
    for (std::size_t k = 0; k < names.size(); ++k)
        engines[k].name = names[k];
    for (const GameRecord &game : games)
        for (std::size_t side = 0; side < 2; ++side) {
            auto k = static_cast<std::size_t>(game.players[side]);
            if (k >= engines.size())
                continue;
            EngineTimes &engine = engines[k];
            const ThinkTimes &think = game.times.think[side];
            engine.shots += think.shots;
            totalThinkMs[k] += think.totalMs;
            engine.longestThinkMs = std::max(engine.longestThinkMs, think.longestMs);
            if (!game.times.clockLeftMs)
                continue;
            long long left = (*game.times.clockLeftMs)[side];
            engine.leastLeftMs = engine.clockGames == 0 ? left : std::min(engine.leastLeftMs, left);
            ++engine.clockGames;
            totalLeftMs[k] += static_cast<double>(left);
        }
    for (std::size_t k = 0; k < engines.size(); ++k) {
        if (engines[k].shots > 0)
            engines[k].meanThinkMs = totalThinkMs[k] / engines[k].shots;
        if (engines[k].clockGames > 0)
            engines[k].meanLeftMs = totalLeftMs[k] / engines[k].clockGames;
    }
    return engines;
}

std::string FormatTimeFigures(const std::vector<EngineTimes> &engines)
{
    if (std::none_of(engines.begin(), engines.end(), [](const EngineTimes &engine) { return engine.shots > 0; }))
        return "";
    std::size_t width = 0;
    for (const EngineTimes &engine : engines)
        width = std::max(width, engine.name.size());
    std::string text = "Time (think: per shot, from GO to the reply; left: on the clock at the game's end)\n";
    for (const EngineTimes &engine : engines) {
        std::string row = engine.name + std::string(width - engine.name.size() + 2, ' ');
        row += engine.shots == 0 ? "think -"
                                 : "think " + Seconds(engine.meanThinkMs, "%.3f s mean, ") +
                                       Seconds(engine.longestThinkMs, "%.3f s longest");
        if (engine.clockGames > 0)
            row += "  left " + Seconds(engine.meanLeftMs, "%.2f s mean, ") +
                   Seconds(static_cast<double>(engine.leastLeftMs), "%.2f s least");
        text += row + "\n";
    }
    return text;
}

}  // namespace match::summary
