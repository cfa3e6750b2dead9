#pragma once

#include <string>
#include <vector>

namespace match::check {

// The verdict of one check. For a passed check, text says what the engine
// did; for a failed one, what it did and what to do instead.
struct CheckResult {
    std::string name;
    bool ok = false;
    std::string text;
};

// "ok NAME: text" or "FAIL NAME: text".
std::string CheckLine(const CheckResult &result);

// The last line: "all 13 checks passed", or how many of the planned checks
// failed and how many could not be run.
std::string TallyLine(const std::vector<CheckResult> &results, std::size_t planned);

}  // namespace match::check
