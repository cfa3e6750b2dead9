#include "check/check_report.h"

#include <algorithm>

namespace match::check {

namespace {

std::string Checks(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " check" : " checks");
}

}  // namespace

std::string CheckLine(const CheckResult &result)
{
    return std::string(result.ok ? "ok " : "FAIL ") + result.name + ": " + result.text;
}

std::string TallyLine(const std::vector<CheckResult> &results, std::size_t planned)
{
    auto failed = static_cast<std::size_t>(
        std::count_if(results.begin(), results.end(), [](const CheckResult &result) { return !result.ok; }));
    std::size_t notRun = planned - std::min(planned, results.size());
    if (failed == 0 && notRun == 0)
        return "all " + Checks(planned) + " passed";
    std::string line = std::to_string(failed) + " of " + Checks(planned) + " failed";
    if (notRun > 0)
        line += ", " + std::to_string(notRun) + " not run without a handshake";
    return line;
}

}  // namespace match::check
