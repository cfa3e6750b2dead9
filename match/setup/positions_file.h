#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/start_position.h"
#include "setup/match_setup.h"

namespace match::setup {

// The positions of a JSON Lines text, one a line, for games of ends regular
// ends; blank lines are skipped. Empty when they are all good; otherwise
// "line L: what is wrong" for the first line that is not, and positions
// holds those before it.
std::string PositionsFromText(const std::string &text, int ends, std::vector<game::StartPosition> &positions);

// The positions file at path, with its digest; none with error set to
// "FILE line L: what is wrong" (or why the file could not be read).
std::optional<PositionSet> ReadPositionsFile(const std::string &path, int ends, std::string &error);

}  // namespace match::setup
