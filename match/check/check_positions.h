#pragma once

#include <string>
#include <vector>

#include "protocol/player.h"
#include "tessival.h"

namespace match::check {

// One GO of the check: the lines sent before the position, which the engine
// should ignore, the position and the game's points.
struct CheckedGo {
    std::vector<std::string> before;
    GameState state{};
    protocol::GamePoints points;
};

// A check made of GOs an engine must answer with a valid BESTSHOT.
struct PositionCheck {
    std::string name;
    std::string what;  // the positions in words, for the line of a passed check
    std::vector<CheckedGo> goes;
};

// The positions the check sends, all of them valid ones a game can reach:
// an empty sheet, unknown lines before GO, stones in the house, stones in
// odd but legal places, the last shot of an end, a crowded sheet, extra ends.
std::vector<PositionCheck> PositionChecks();

}  // namespace match::check
