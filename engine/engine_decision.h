#pragma once

#include "tessival.h"

// The part of the front end that differs between engines: each executable links
// one definition of both (pebble_decision.cpp for pebble, granite/ for granite).

// The shot answered to GO for the position in the global gameState.
ShotVector DecideShot();

// A line whose keyword is none of the protocol's commands. keyword is its first
// token as read, line the whole line without its terminator.
void HandleOtherCommand(const char *keyword, const char *line);
