#include "granite_decision.h"

#include "game_clock.h"
#include "game_score.h"
#include "game_state.h"

namespace granite {

namespace {

ShotVector DecideForFrontEnd(void *context)
{
    return static_cast<const Engine *>(context)->DecideShot(gameState, gameScore, gameClock);
}

}  // namespace

EngineDecision DecisionOf(Engine &engine)
{
    return {DecideForFrontEnd, &engine};
}

}  // namespace granite
