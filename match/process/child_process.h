#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

#include "process/error_forwarder.h"

namespace match::process {

using Clock = std::chrono::steady_clock;

enum class ReadResult { Data, Closed, TimedOut };

// Where a child's standard streams go beyond the defaults: input and output
// are pipes of ours, errors are inherited.
struct ChildOptions {
    // "NAME=value" set in the child's environment, or "NAME" removed from it.
    std::vector<std::string> environment;
    // Files read or written (truncated) instead of the pipe or our own stream.
    std::string inputFile;
    std::string outputFile;
    std::string errorFile;
    // Standard error into a pipe of ours, collected by every read (Errors).
    bool captureErrors = false;
    // Unless empty, captured or sent to errorFile: standard error onto ours,
    // each line after this prefix (see ErrorForwarder).
    std::string errorPrefix;
    // With errorPrefix, also given each line of standard error (see ErrorForwarder).
    ErrorForwarder::LineSink errorLines;
};

// How a child ended: its exit status or the signal that killed it.
struct ChildEnd {
    bool signalled = false;
    int status = 0;
    // The shell's convention: 128 + signal for a killed child.
    int ShellStatus() const { return signalled ? 128 + status : status; }
};

// A child process in a process group of its own. Destruction kills the whole
// group and reaps it. The constructor throws std::system_error when a pipe,
// a file, the fork or the exec fails.
//
// The child also dies when its parent dies (on Linux, by the parent-death
// signal), and its group with it when there is a Guardian. That signal comes
// when the *thread* that forked ends, not the process: make, use and stop a
// child on one thread, one that outlives it.
class ChildProcess {
public:
    // argv[0] executed directly, without a shell.
    ChildProcess(const std::vector<std::string> &argv, const ChildOptions &options);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Writes all of text; false when the child stopped reading (it quit or
    // the deadline passed).
    bool Write(std::string_view text, Clock::time_point deadline);
    // Waits until the child has read everything written to it, so that the
    // next write reaches it in a read of its own: engines may take each read
    // as one command. False at the deadline or when the child closed its
    // input. Where the system cannot tell how much is unread, returns true at once.
    bool WaitUntilRead(Clock::time_point deadline);
    // Appends what arrives on standard output before the deadline to buffer.
    ReadResult Read(std::string &buffer, Clock::time_point deadline);
    // Reads standard output and the captured errors until the child closes
    // both or the deadline passes.
    void ReadToEnd(std::string &buffer, Clock::time_point deadline);
    // What the child wrote to standard error so far, when captured.
    const std::string &Errors() const { return errors_; }
    // The end of input for the child; no more output is read from it.
    void CloseInput();
    void CloseOutput();
    // How far the child has read into options.inputFile.
    off_t InputFileOffset() const;

    // How the child ended, waiting for it until the deadline; none while it
    // runs. The child stays a zombie until Stop, so its group id stays taken.
    std::optional<ChildEnd> WaitEnd(Clock::time_point deadline);
    // WaitEnd in words: "exited with status 3" or "was killed by signal 9 (Killed)".
    std::optional<std::string> DescribeEnd(std::chrono::milliseconds grace);
    // Kills the process group and reaps it; idempotent.
    void Stop();

    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    int errorsFromChild_ = -1;
    int inputFile_ = -1;
    std::string errors_;
    std::unique_ptr<ErrorForwarder> errorForwarder_;
};

}  // namespace match::process
