#include "protocol.h"

namespace {

const char *SkipSpaces(const char *text)
{
    while (*text == ' ') {
        ++text;
    }
    return text;
}

char UpperCase(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

bool IsKeyword(const char *token, const char *keyword)
{
    for (; *token != '\0' && *keyword != '\0'; ++token, ++keyword) {
        if (UpperCase(*token) != *keyword) {
            return false;
        }
    }
    return *token == '\0' && *keyword == '\0';
}

int GetToken(char *destination, const char *source, int n)
{
    if (source == nullptr) {
        return 0;
    }
    const char *cursor = SkipSpaces(source);
    for (int skipped = 0; skipped < n; ++skipped) {
        if (*cursor == '\0') {
            return 0;
        }
        while (*cursor != ' ') {
            if (*cursor == '\0') {
                return 0;
            }
            ++cursor;
        }
        cursor = SkipSpaces(cursor);
    }
    int length = 0;
    while (cursor[length] != '\0' && cursor[length] != ' ' && length < LINE_BUFFER_SIZE - 1) {
        destination[length] = cursor[length];
        ++length;
    }
    destination[length] = '\0';
    return 1;
}
