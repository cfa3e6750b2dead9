#include "setup/time_control.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace match::setup {

namespace {

// About 31 years: the clocks' milliseconds stay far inside 64 bits.
constexpr double MOST_SECONDS = 1e9;

// A whole decimal number in text; none for anything else ("", "1e", "0x10", " 5").
std::optional<double> Number(const std::string &text)
{
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '.' || text[0] == '-'))
        return std::nullopt;
    char *end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value) || text.find_first_of("xXnN") != std::string::npos)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<game::TimeControl> ParseTimeControl(const std::string &text, std::string &error)
{
    std::size_t plus = text.find('+');
    std::optional<double> seconds = Number(text.substr(0, plus));
    std::optional<double> increment = plus == std::string::npos ? 0.0 : Number(text.substr(plus + 1));
    if (!seconds || !increment) {
        error = "\"" + text + "\" is not SECONDS[+INCREMENT], such as 60 or 30+0.5";
        return std::nullopt;
    }
    if (*seconds <= 0.0 || *seconds > MOST_SECONDS) {
        error = "\"" + text + "\": SECONDS must be above 0 and at most 1e9";
        return std::nullopt;
    }
    if (*increment < 0.0 || *increment > MOST_SECONDS) {
        error = "\"" + text + "\": INCREMENT must be from 0 to 1e9";
        return std::nullopt;
    }
    return game::TimeControl{*seconds, *increment};
}

}  // namespace match::setup
