#pragma once

#include <string>

// A record's or a viewer page's text without the think times and clocks
// measured in its run, for comparing the games of two runs.
std::string WithoutTimes(const std::string &text);

// A summary's text without its last block, the think times and clocks.
std::string WithoutTimeFigures(const std::string &summary);
