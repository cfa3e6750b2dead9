#pragma once

// The thrown stone in play at place rank in order of closeness to the tee, in
// the global gameState. Writes its (x, y) to position, or (0, 0) when there is
// no such stone, and returns its side (0 even index, 1 odd index) or -1.
int RankStone(int rank, float position[2]);
