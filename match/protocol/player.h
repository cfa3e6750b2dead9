#pragma once

#include <string>

#include "tessival.h"

namespace match::protocol {

// One engine's answer to GO: the shot, or what went wrong (the engine then
// forfeits).
struct ShotAnswer {
    bool ok = false;
    ShotVector shot{};
    std::string reply;  // the bytes received, as far as they went
    std::string fault;  // what the engine did, for a forfeit message
};

// The game's points so far, of the side to move and of the other side.
struct GamePoints {
    int own = 0;
    int other = 0;
};

// Whoever chooses the shots of one side of a game.
class Player {
public:
    virtual ~Player() = default;
    virtual ShotAnswer RequestShot(const GameState &state, const GamePoints &points) = 0;
};

}  // namespace match::protocol
