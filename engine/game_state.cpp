#include "game_state.h"

GameState gameState = {};
