#pragma once

#include <string>
#include <vector>

#include "setup/match_setup.h"

namespace match::setup {

// A short label for an engine command: the last path component of its first word.
std::string EngineName(const std::string &command);

// The engines of the command line: "name=LABEL COMMAND" names an engine
// LABEL, any other argument is a command named by its executable's base name;
// a name taken before gets "-2", "-3", ... appended. "tc=SECONDS[+INCREMENT]"
// before the command (before or after name=) gives the engine its own clock;
// error says what is wrong with one, and is left alone when nothing is.
std::vector<EngineEntry> NameEngines(const std::vector<std::string> &arguments, std::string &error);

}  // namespace match::setup
