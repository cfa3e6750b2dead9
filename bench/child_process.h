// Child processes for the benchmarks: an engine talked to through pipes, and
// programs run to their end.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

// An engine process whose standard input and output are pipes of ours; its
// standard error is the benchmark's.
class EnginePipe {
public:
    // arguments follow the program's name on its command line.
    explicit EnginePipe(const std::string &executable, const std::vector<std::string> &arguments = {});
    ~EnginePipe();
    EnginePipe(const EnginePipe &) = delete;
    EnginePipe &operator=(const EnginePipe &) = delete;

    bool Running() const { return pid_ > 0; }
    // One write of the whole text; false when the engine no longer reads.
    bool Send(const std::string &text);
    // One reply: the engine writes each reply in one write, without a line
    // terminator, so one read returns it whole. Empty at the end of output.
    std::string Reply();

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
};

// Runs argv[0] with the given arguments, its standard output discarded, and
// returns its exit status, or -1 when it could not run or did not exit.
int RunQuietly(const std::vector<std::string> &argv);

// The folder holding the running executable, without a trailing slash.
std::string ExecutableFolder();
