#include <climits>
#include <iostream>
#include <string>
#include <unistd.h>

#ifdef __linux__
#include <sys/prctl.h>
#endif

#include "process/guardian.h"
#include "process/interrupt.h"
#include "run/check_mode.h"
#include "run/match_mode.h"
#include "run/replay_mode.h"
#include "run/summary_mode.h"
#include "setup/match_options.h"

namespace match {
namespace {

// The pebble in the folder of this executable.
std::string DefaultEngine()
{
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return "pebble";
    std::string self(path, static_cast<std::size_t>(length));
    return self.substr(0, self.find_last_of('/') + 1) + "pebble";
}

}  // namespace
}  // namespace match

int main(int argc, char **argv)
{
    match::setup::MatchOptions options;
    if (auto status = match::setup::ParseMatchOptions(argc, argv, match::DefaultEngine(), options))
        return *status;
    match::process::InstallInterruptHandlers();
#ifdef __linux__
    // Children an engine leaves behind are handed to us, so that they are reaped here.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
#endif
    try {
        if (!options.replayPath.empty())
            return match::run::RunReplay(options);
        if (!options.summaryPaths.empty())
            return match::run::RunSummary(options);
        // Forked before any engine or thread starts, as it must be.
        match::process::Guardian guardian;
        if (!options.checkEngine.empty())
            return match::run::RunCheck(options);
        return match::run::RunMatch(options);
    } catch (const match::process::Interrupted &) {
        std::cerr << "pebble-match: interrupted\n";
        return 130;
    } catch (const std::exception &error) {
        std::cerr << "pebble-match: " << error.what() << "\n";
        return 1;
    }
}
