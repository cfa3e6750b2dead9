#include "run/check_mode.h"

#include <algorithm>
#include <iostream>
#include <memory>
#include <system_error>

#include "check/engine_check.h"
#include "process/protocol_log.h"
#include "setup/engine_names.h"

namespace match::run {

using check::CheckedEngine;
using check::CheckResult;

int RunCheck(const setup::MatchOptions &options)
{
    std::string engineError;
    setup::EngineEntry entry = setup::NameEngines({options.checkEngine}, engineError).front();
    if (!engineError.empty()) {
        std::cerr << "pebble-match: " << engineError << "\n";
        return 2;
    }
    std::unique_ptr<process::ProtocolLog> log;
    try {
        if (!options.logPath.empty())
            log = std::make_unique<process::ProtocolLog>(options.logPath);
    } catch (const std::system_error &error) {
        std::cerr << "pebble-match: " << error.what() << "\n";
        return 1;
    }
    CheckedEngine engine{entry.command, "check " + entry.name,
                         std::chrono::milliseconds(static_cast<long long>(options.setup.timeoutSeconds * 1000.0)),
                         log.get()};
    std::cout << "Checking " << entry.name << " (" << entry.command << "), timeout " << options.setup.timeoutSeconds
              << " s\n"
              << std::flush;
    std::vector<CheckResult> results = CheckEngine(engine, [](const CheckResult &result) {
        std::cout << check::CheckLine(result) << "\n" << std::flush;
    });
    std::cout << check::TallyLine(results, check::PlannedChecks()) << "\n";
    bool passed = results.size() == check::PlannedChecks() &&
                  std::all_of(results.begin(), results.end(), [](const CheckResult &result) { return result.ok; });
    if (log && log->Failed())
        std::cerr << "pebble-match: the protocol log " << options.logPath << " could not be written whole\n";
    return passed && !(log && log->Failed()) ? 0 : 1;
}

}  // namespace match::run
