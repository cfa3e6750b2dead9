#include "engine_decision.h"

EngineDecision engineDecision = {};
