#include "without_times.h"

#include <regex>

std::string WithoutTimes(const std::string &text)
{
    // A key that leads its object takes the comma after it, any other the comma before it.
    static const std::regex LEADING(R"re(\{"(thinkMs|clockMs)":(\[[^\]]*\]|[-+0-9.eE]+),)re");
    static const std::regex LATER(R"re(,"(thinkMs|clockMs)":(\[[^\]]*\]|[-+0-9.eE]+))re");
    return std::regex_replace(std::regex_replace(text, LEADING, "{"), LATER, "");
}

std::string WithoutTimeFigures(const std::string &summary)
{
    return summary.substr(0, summary.rfind("\nTime (think: "));
}
