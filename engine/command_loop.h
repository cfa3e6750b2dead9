#pragma once

// Handles every line of a chunk of length bytes in order; lines end at a line
// feed or carriage return, and a last piece without one is a line too.
// chunk[length] must be a NUL byte.
void HandleChunk(char *chunk, int length);

// Reads standard input chunk by chunk and handles each, until the end of input
// or a failed read. A read that fills the whole buffer and ends inside a line
// keeps that line for the next read, so that a line cut by the buffer is
// handled whole, unless it is the whole buffer or a command without arguments
// (GO, ISREADY, NEWGAME), which is handled at once. Returns the exit status, 0.
int RunCommandLoop();
