#include "platform.h"

#include <windows.h>

void PrepareStandardStreams() {}

int ReadStandardInput(char *buffer, int capacity)
{
    DWORD count = 0;
    const BOOL read = ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, static_cast<DWORD>(capacity), &count, nullptr);
    if (!read) {
        // A closed pipe reports ERROR_BROKEN_PIPE: the end of input.
        return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    }
    return static_cast<int>(count);
}

void WriteStandardOutput(const char *bytes, int length)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes, static_cast<DWORD>(length), &written, nullptr);
}
