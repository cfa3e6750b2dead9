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
    bool overwrite = false;  // a record that holds something may be started afresh
    std::string recordPath;
    std::string svgDirectory;
    std::string replayPath;
    std::vector<std::string> summaryPaths;
    std::string htmlPath;
    bool summaryAsJson = false;   // --summary prints JSON, not text
    std::string summaryJsonPath;  // the summary as JSON, kept up to date during a run
    int ratingInterval = 0;       // standings every N finished games; 0 for none
    std::string logPath;          // the protocol log, empty without one
    std::string checkEngine;      // the engine --check drives, empty in the other modes
};

// Parses the command line. Returns the exit status when the program should
// stop at once (0 after --help, 2 for bad usage, with the message printed),
// nothing when it should go on. defaultEngine stands in for missing engines.
std::optional<int> ParseMatchOptions(int argc, char **argv, const std::string &defaultEngine, MatchOptions &options);

}  // namespace match::setup
