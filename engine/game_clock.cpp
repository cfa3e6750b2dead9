#include "game_clock.h"

GameClock gameClock = {};
