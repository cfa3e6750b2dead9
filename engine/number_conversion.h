#pragma once

#include <cstdint>

// The conversions of protocol arguments. Both skip leading white space, take
// the leading number and ignore the rest; text without a number gives 0.

// As atof, then rounded to the nearest float.
float ConvertCoordinate(const char *text);

// As atoi, with values beyond the 32-bit range saturated to its limits.
int32_t ConvertInteger(const char *text);
