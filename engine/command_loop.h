#pragma once

// Handles every line of a chunk of length bytes in order; lines end at a line
// feed or carriage return, and a last piece without one is a line too.
// chunk[length] must be a NUL byte.
void HandleChunk(char *chunk, int length);

// Reads standard input chunk by chunk and handles each, until the end of input
// or a failed read. Returns the exit status, 0.
int RunCommandLoop();
