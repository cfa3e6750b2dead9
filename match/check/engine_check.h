#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "check/check_report.h"
#include "process/protocol_log.h"

namespace match::check {

// The engine a check drives.
struct CheckedEngine {
    std::string command;
    std::string label;  // in front of its standard error lines and log entries
    std::chrono::milliseconds timeout{60000};
    process::ProtocolLog *log = nullptr;
};

// The checks a whole run makes.
std::size_t PlannedChecks();

// Drives the engine through the compliance run: the handshake, the
// positions of PositionChecks, then the verdicts over every reply (their
// grammar, their line breaks, the slowest against the timeout), whether the
// engine stayed alive, and whether it quits when its input closes. A request
// that goes wrong ends that engine process; the next check starts another.
// Without a handshake nothing else is checked. Each verdict goes to report
// as soon as it is known.
std::vector<CheckResult> CheckEngine(const CheckedEngine &engine,
                                     const std::function<void(const CheckResult &)> &report);

}  // namespace match::check
