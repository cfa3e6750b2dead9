#pragma once

// The game's score as the match manager last sent it with SCORE: the points
// of the side to move and of the other side so far. 0 and 0 until then.
struct GameScore {
    int own = 0;
    int other = 0;
};

// Reads "SCORE own other"; a line without both numbers changes nothing.
void ReadScoreCommand(const char *line);

GameScore CurrentScore();
