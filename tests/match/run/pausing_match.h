#pragma once

#include <string>
#include <vector>

// The command line of six one-end games between engines that pause inside
// their replies, so that concurrent games end in any order, recorded to
// record; extra options follow.
inline std::vector<std::string> PausingMatch(const std::string &record, const std::vector<std::string> &extra)
{
    const std::string engine = SCRIPTED_ENGINE_PATH;
    std::vector<std::string> arguments = {PEBBLE_MATCH_PATH, "--ends", "1",        "--games", "6",
                                          "--seed",          "11",     "--record", record,    engine + " split",
                                          engine + " steady"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return arguments;
}
