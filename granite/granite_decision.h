#pragma once

#include "engine_decision.h"
#include "granite_engine.h"

namespace granite {

// engine as the front end's decision: GO asks it for the shot for the front
// end's gameState, gameScore and gameClock. engine must outlive the command loop.
EngineDecision DecisionOf(Engine &engine);

}  // namespace granite
