#pragma once

#include "tessival.h"

// The shot for the side to move in the global gameState, which it only reads:
// the final-shots search at shot 15, else a hit, a guard or a draw settled by
// candidate trials. Always yields a vector, as the library built it.
ShotVector ChooseShot();
