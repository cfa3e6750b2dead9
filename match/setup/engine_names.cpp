#include "setup/engine_names.h"

#include <algorithm>

#include "setup/time_control.h"

namespace match::setup {

namespace {

constexpr std::string_view NAME_PREFIX = "name=";
constexpr std::string_view TC_PREFIX = "tc=";

// The argument's leading words name=LABEL and tc=SECONDS[+INCREMENT], in any
// order, then the command. error says what is wrong with a tc= word.
EngineEntry ParseEngine(const std::string &argument, std::string &error)
{
    EngineEntry engine;
    bool named = false;
    std::size_t at = 0;
    for (;;) {
        std::string_view rest = std::string_view(argument).substr(at);
        bool isName = rest.starts_with(NAME_PREFIX) && !named;
        if (!isName && !rest.starts_with(TC_PREFIX))
            break;
        std::size_t space = argument.find_first_of(" \t", at);
        std::size_t prefix = isName ? NAME_PREFIX.size() : TC_PREFIX.size();
        std::string value =
            argument.substr(at + prefix, space == std::string::npos ? std::string::npos : space - at - prefix);
        if (isName) {
            engine.name = value;
            named = true;
        } else if (!(engine.tc = ParseTimeControl(value, error))) {
            error = "tc=" + value + " in \"" + argument + "\": " + error;
        }
        at = space == std::string::npos ? argument.size() : argument.find_first_not_of(" \t", space);
        if (at == std::string::npos)
            at = argument.size();
    }
    engine.command = argument.substr(at);
    if (!named)
        engine.name = EngineName(engine.command);
    return engine;
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

std::vector<EngineEntry> NameEngines(const std::vector<std::string> &arguments, std::string &error)
{
    std::vector<EngineEntry> engines;
    for (const std::string &argument : arguments) {
        EngineEntry engine = ParseEngine(argument, error);
        std::string base = engine.name;
        for (int suffix = 2; Taken(engines, engine.name); ++suffix)
            engine.name = base + "-" + std::to_string(suffix);
        engines.push_back(engine);
    }
    return engines;
}

}  // namespace match::setup
