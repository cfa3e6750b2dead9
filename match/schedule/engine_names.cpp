#include "schedule/engine_names.h"

#include <algorithm>

#include "game/line_score.h"

namespace {

constexpr std::string_view NAME_PREFIX = "name=";

EngineEntry ParseEngine(const std::string &argument)
{
    if (!argument.starts_with(NAME_PREFIX))
        return {EngineName(argument), argument};
    std::size_t space = argument.find_first_of(" \t");
    std::string label = argument.substr(NAME_PREFIX.size(), space - NAME_PREFIX.size());
    std::size_t command = space == std::string::npos ? std::string::npos : argument.find_first_not_of(" \t", space);
    return {label, command == std::string::npos ? "" : argument.substr(command)};
}

bool Taken(const std::vector<EngineEntry> &engines, const std::string &name)
{
    return std::any_of(engines.begin(), engines.end(), [&](const EngineEntry &engine) { return engine.name == name; });
}

} // namespace

std::vector<EngineEntry> NameEngines(const std::vector<std::string> &arguments)
{
    std::vector<EngineEntry> engines;
    for (const std::string &argument : arguments) {
        EngineEntry engine = ParseEngine(argument);
        std::string base = engine.name;
        for (int suffix = 2; Taken(engines, engine.name); ++suffix)
            engine.name = base + "-" + std::to_string(suffix);
        engines.push_back(engine);
    }
    return engines;
}
