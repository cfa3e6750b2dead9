#pragma once

#include <optional>
#include <string>

#include "tessival.h"

namespace match::protocol {

// One engine's answer to GO: the shot, or what went wrong (the engine then
// forfeits).
struct ShotAnswer {
    bool ok = false;
    ShotVector shot{};
    std::string reply;       // the bytes received, as far as they went
    std::string fault;       // what the engine did, for a forfeit message
    double thinkMs = 0.0;    // from GO written to the reply whole, or to the wait's end
    bool outOfTime = false;  // no whole reply by the end of the side's clock
};

// The game's points so far, of the side to move and of the other side.
struct GamePoints {
    int own = 0;
    int other = 0;
};

// The clocks at a GO, in whole milliseconds left: the side to move's (the one
// GO starts) and the other side's.
struct ClockTimes {
    long long own = 0;
    long long other = 0;
};

// Whoever chooses the shots of one side of a game.
class Player {
public:
    virtual ~Player() = default;
    // clock is set when the game is played on a clock: the answer must come
    // within clock->own milliseconds.
    virtual ShotAnswer RequestShot(const GameState &state, const GamePoints &points,
                                   const std::optional<ClockTimes> &clock) = 0;
};

}  // namespace match::protocol
