#include "game_score.h"

GameScore gameScore = {};
