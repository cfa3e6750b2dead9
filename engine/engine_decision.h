#pragma once

#include "tessival.h"

// The part of the front end that differs between engines. Each engine's main
// stores its record in engineDecision before the command loop starts.
struct EngineDecision {
    // The shot answered to GO for the position in gameState (and the score in
    // gameScore); context is the record's own, handed back untouched.
    ShotVector (*decideShot)(void *context);
    void *context;
};

// All null at start-up: GO is then left unanswered.
extern EngineDecision engineDecision;
