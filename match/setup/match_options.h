#pragma once

#include <optional>
#include <string>
#include <vector>

#include "setup/match_setup.h"

namespace match::setup {

struct MatchOptions {
    MatchSetup setup;
    int concurrency = 1;
    bool resume = false;
    std::string recordPath;
    std::string svgDirectory;
    std::string replayPath;
    std::vector<std::string> summaryPaths;
    std::string htmlPath;
    std::string logPath;      // the protocol log, empty without one
    std::string checkEngine;  // the engine --check drives, empty in the other modes
};

// Parses the command line. Returns the exit status when the program should
// stop at once (0 after --help, 2 for bad usage, with the message printed),
// nothing when it should go on. defaultEngine stands in for missing engines.
std::optional<int> ParseMatchOptions(int argc, char **argv, const std::string &defaultEngine, MatchOptions &options);

}  // namespace match::setup
