// Child processes for the benchmarks, through the runner's process helper: an
// engine talked to through pipes, and programs run to their end.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "process/child_process.h"

namespace bench {

// An engine process whose standard input and output are pipes of ours; its
// standard error is the benchmark's.
class EnginePipe {
public:
    // arguments follow the program's name on its command line.
    explicit EnginePipe(const std::string &executable, const std::vector<std::string> &arguments = {});

    bool Running() const { return engine_ != nullptr; }
    // The whole text; false when the engine no longer reads.
    bool Send(const std::string &text);
    // One reply: the engine writes each reply in one write, without a line
    // terminator, so one read returns it whole. Empty at the end of output.
    std::string Reply();

private:
    std::unique_ptr<match::process::ChildProcess> engine_;
};

// Runs argv[0] with the given arguments, its standard output discarded, and
// returns its exit status, or -1 when it could not run or did not exit.
int RunQuietly(const std::vector<std::string> &argv);

// The folder holding the running executable, without a trailing slash.
std::string ExecutableFolder();

}  // namespace bench
