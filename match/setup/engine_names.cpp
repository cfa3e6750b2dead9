#include "setup/engine_names.h"

#include <algorithm>

namespace match::setup {

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

}  // namespace

std::string EngineName(const std::string &command)
{
    std::size_t start = command.find_first_not_of(" \t");
    if (start == std::string::npos)
        return command;
    std::size_t end = command.find_first_of(" \t", start);
    std::string word = command.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::erase_if(word, [](char c) { return c == '\'' || c == '"'; });
    std::size_t slash = word.find_last_of('/');
    return slash == std::string::npos ? word : word.substr(slash + 1);
}

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

}  // namespace match::setup
