#include "number_conversion.h"

#include <cstdlib>

namespace {

constexpr long long INT32_LIMIT = 2147483648LL;

bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

float ConvertCoordinate(const char *text)
{
    return static_cast<float>(std::strtod(text, nullptr));
}

int32_t ConvertInteger(const char *text)
{
    while (IsWhiteSpace(*text)) {
        ++text;
    }
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    // Capped at 2^31 while the digits run on, so the sum never overflows.
    long long magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > INT32_LIMIT) {
            magnitude = INT32_LIMIT;
        }
    }
    if (negative) {
        return static_cast<int32_t>(-magnitude);
    }
    return static_cast<int32_t>(magnitude < INT32_LIMIT ? magnitude : INT32_LIMIT - 1);
}
