// A game played shot by shot from Python, by the runner's own flow (hammer,
// extra ends, winner, the end's score) and thrower (the match's error and its
// seed for each throw).
#pragma once

#include <cstdint>

#include "game/game_flow.h"
#include "game/game_record.h"
#include "game/thrower.h"
#include "tessival.h"

namespace tessival_python {

using match::game::PerSide;
using match::game::Side;

// What one throw did.
struct PlayedShot {
    Side player = Side::A;  // who threw it
    int end = 0;
    int shotIndex = 0;
    uint32_t seed = 0;  // the seed its random error was drawn with
    ShotVector shot{};
    GameState resting{};        // the position after it, before a new end clears the sheet
    bool endFinished = false;   // it was the end's last stone
    PerSide<int> points{0, 0};  // the end's points, when it finished
    match::game::ShotTrace trace;
};

class PlayedGame {
public:
    PlayedGame(int ends, uint64_t seed, int pair, float error, Side firstHammer);

    // The position as the runner sends it to the side to move: stones,
    // shotIndex, currentEnd, lastEnd and sideFlag.
    const GameState &State() const { return state_; }
    const match::game::GameFlow &Flow() const { return flow_; }
    // Who throws the next stone; meaningless once Finished().
    Side ToMove() const { return flow_.Thrower(state_.shotIndex); }
    uint32_t Seed(int end, int shotIndex) const { return thrower_.Seed(end, shotIndex); }

    // Throws the next stone. False, with the game unchanged, when the library
    // refused the shot. After an end's last stone the end is scored and, unless
    // the game is over, the next end starts from the empty sheet.
    bool Play(const ShotVector &shot, PlayedShot &played);

private:
    void StartEnd();

    match::game::GameFlow flow_;
    match::game::Thrower thrower_;
    GameState state_{};
};

}  // namespace tessival_python
