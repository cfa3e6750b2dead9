#pragma once

#include "engine_decision.h"

// pebble's answer to GO, its shot selection, as the front end's decision. It
// keeps no state of its own: the context is null.
EngineDecision PebbleDecision();
