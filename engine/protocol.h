#pragma once

// Size of every text buffer of the protocol: input chunk, token and reply.
constexpr int LINE_BUFFER_SIZE = 1024;

// Handles the first line of line (cut in place at the first line feed, carriage
// return or NUL): NEWGAME, ISREADY, POSITION, SETSTATE, GO, SCORE or TIME,
// keywords matched as whole tokens regardless of ASCII case; any other line is
// ignored. A line that only tells the engine about the game (SCORE, TIME) fills
// a record of its own beside gameState; GO and NEWGAME forget the clocks. Returns 0 when POSITION or SETSTATE
// ran out of arguments (the fields read so far are kept) or line is null, else 1.
int HandleCommand(char *line);

// Copies token n (0 is the first) of source into destination, a buffer of
// LINE_BUFFER_SIZE bytes. Only spaces separate tokens; a run of them counts as
// one, leading ones are skipped, and trailing ones make one last empty token.
// Returns 1 when token n exists, else 0.
int GetToken(char *destination, const char *source, int n);

// Whole-token comparison with an upper-case keyword, ASCII letters of token
// in any case.
bool IsKeyword(const char *token, const char *keyword);

// Writes text, without its NUL, to standard output in one write.
void WriteReply(const char *text);
