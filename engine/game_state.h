#pragma once

#include "tessival.h"

// The current position as the match manager sent it. The command loop is its
// only writer; analysis and shot selection only read it. All zeros at start-up.
extern GameState gameState;
