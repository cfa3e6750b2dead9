#include "command_loop.h"

#include <cstring>

#include "platform.h"
#include "protocol.h"

void HandleChunk(char *chunk, int length)
{
    int start = 0;
    while (start < length) {
        int end = start;
        while (end < length && chunk[end] != '\n' && chunk[end] != '\r') {
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
    for (;;) {
        std::memset(buffer, 0, sizeof buffer);
        const int count = ReadStandardInput(buffer, LINE_BUFFER_SIZE);
        if (count <= 0) {
            return 0;
        }
        HandleChunk(buffer, count);
    }
}
