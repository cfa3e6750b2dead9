#include "played_game.h"

namespace tessival_python {

using match::game::HammerScore;
using match::game::SideFlag;

PlayedGame::PlayedGame(int ends, uint64_t seed, int pair, float error, Side firstHammer)
    : flow_(ends, firstHammer), thrower_(seed, pair, error)
{
    StartEnd();
}

void PlayedGame::StartEnd()
{
    state_ = GameState{};
    state_.currentEnd = flow_.CurrentEnd();
    state_.lastEnd = flow_.LastEnd();
    state_.sideFlag = static_cast<uint8_t>(SideFlag(0));
}

bool PlayedGame::Play(const ShotVector &shot, PlayedShot &played)
{
    played.player = ToMove();
    played.end = state_.currentEnd;
    played.shotIndex = state_.shotIndex;
    played.seed = thrower_.Seed(played.end, played.shotIndex);
    played.shot = shot;
    GameState next = state_;
    if (!thrower_.Throw(next, shot, played.seed, played.trace))
        return false;
    played.resting = next;
    state_ = next;
    state_.sideFlag = static_cast<uint8_t>(SideFlag(state_.shotIndex));
    if (state_.shotIndex < TESSIVAL_STONE_COUNT)
        return true;
    flow_.FinishEnd(HammerScore(state_));
    played.endFinished = true;
    played.points = flow_.Ends().back().points;
    if (!flow_.Finished())
        StartEnd();
    return true;
}

}  // namespace tessival_python
