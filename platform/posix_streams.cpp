#include "platform.h"

#include <cerrno>
#include <csignal>
#include <unistd.h>

void PrepareStandardStreams()
{
    // A manager that closed our output must not kill the engine: the write
    // fails quietly and the loop ends at the end of input.
    std::signal(SIGPIPE, SIG_IGN);
}

int ReadStandardInput(char *buffer, int capacity)
{
    for (;;) {
        const ssize_t count = read(STDIN_FILENO, buffer, static_cast<size_t>(capacity));
        if (count >= 0) {
            return static_cast<int>(count);
        }
        if (errno != EINTR) {
            return -1;
        }
    }
}

void WriteStandardOutput(const char *bytes, int length)
{
    // A pipe takes a short reply in one write; the loop only finishes a write
    // that a signal interrupted or cut short.
    while (length > 0) {
        const ssize_t count = write(STDOUT_FILENO, bytes, static_cast<size_t>(length));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return;
        }
        bytes += count;
        length -= static_cast<int>(count);
    }
}
