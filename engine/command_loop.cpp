#include "command_loop.h"

#include <cstring>

#include "platform.h"
#include "protocol.h"

namespace {

bool IsLineBreak(char c)
{
    return c == '\n' || c == '\r';
}

// A command without arguments, which a manager may send without a line break
// and then wait for the answer.
bool IsBareCommand(const char *piece)
{
    char keyword[LINE_BUFFER_SIZE];
    if (GetToken(keyword, piece, 0) == 0) {
        return false;
    }
    return IsKeyword(keyword, "GO") || IsKeyword(keyword, "ISREADY") || IsKeyword(keyword, "NEWGAME");
}

// Where the unfinished line that ends a full buffer of length bytes starts,
// or length when there is none to carry into the next read: the buffer ends
// a line, the line fills the whole buffer (joined, it could not fit), or the
// piece is a bare command, answered now.
int CarriedLineStart(const char *buffer, int length)
{
    if (IsLineBreak(buffer[length - 1])) {
        return length;
    }
    int start = length;
    while (start > 0 && !IsLineBreak(buffer[start - 1])) {
        --start;
    }
    if (start == 0 || IsBareCommand(buffer + start)) {
        return length;
    }
    return start;
}

}  // namespace

void HandleChunk(char *chunk, int length)
{
    int start = 0;
    while (start < length) {
        int end = start;
        while (end < length && !IsLineBreak(chunk[end])) {
            ++end;
        }
        HandleCommand(chunk + start);
        start = end + 1;
    }
}

int RunCommandLoop()
{
    // One spare byte stays zero, so a read that fills all LINE_BUFFER_SIZE
    // bytes is still a terminated string.
    char buffer[LINE_BUFFER_SIZE + 1];
    // Bytes at the front of buffer: the unfinished last line of a read that
    // filled the buffer, completed by the next read.
    int carried = 0;
    for (;;) {
        std::memset(buffer + carried, 0, sizeof buffer - static_cast<size_t>(carried));
        const int count = ReadStandardInput(buffer + carried, LINE_BUFFER_SIZE - carried);
        if (count <= 0) {
            HandleChunk(buffer, carried);
            return 0;
        }
        const int length = carried + count;
        // A shorter read is handled whole: a manager may send a line without
        // its line break and wait for the answer.
        const int handled = length == LINE_BUFFER_SIZE ? CarriedLineStart(buffer, length) : length;
        const char first = buffer[handled];
        buffer[handled] = '\0';
        HandleChunk(buffer, handled);
        buffer[handled] = first;
        carried = length - handled;
        std::memmove(buffer, buffer + handled, static_cast<size_t>(carried));
    }
}
