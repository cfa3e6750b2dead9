#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct MatchOptions {
    std::string engineA;
    std::string engineB;
    int ends = 8;
    int games = 1;
    uint64_t seed = 20260101;
    float error = 0.145f;
    double timeoutSeconds = 60.0;
    std::string recordPath;
    std::string svgDirectory;
    std::string replayPath;
    std::string htmlPath;
};

// Parses the command line. Returns the exit status when the program should
// stop at once (0 after --help, 2 for bad usage, with the message printed),
// nothing when it should go on. defaultEngine stands in for missing engines.
std::optional<int> ParseMatchOptions(int argc, char **argv, const std::string &defaultEngine, MatchOptions &options);
