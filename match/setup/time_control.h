#pragma once

#include <optional>
#include <string>

#include "game/side_clocks.h"

namespace match::setup {

// "SECONDS[+INCREMENT]": seconds above 0 and an increment of 0 or more, both
// finite decimal numbers. None, with error saying why, for any other text.
std::optional<game::TimeControl> ParseTimeControl(const std::string &text, std::string &error);

}  // namespace match::setup
