#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

using Clock = std::chrono::steady_clock;

enum class ReadResult { Data, Closed, TimedOut };

// A command run as /bin/sh -c 'exec COMMAND' in a process group of its own,
// its standard input and output connected to pipes, standard error inherited.
// Destruction kills the whole group and reaps it.
class ChildProcess {
public:
    // Throws std::system_error when the pipes or the fork fail.
    explicit ChildProcess(const std::string &command);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Writes all of text; false when the child stopped reading (it quit or
    // the deadline passed).
    bool Write(std::string_view text, Clock::time_point deadline);
    // Waits until the child has read everything written to it, so that the
    // next write reaches it in a read of its own: engines may take each read
    // as one command. False at the deadline or when the child closed its input. Where the system cannot tell how
    // much is unread, returns true at once.
    bool WaitUntilRead(Clock::time_point deadline);
    // Appends what arrives before the deadline to buffer.
    ReadResult Read(std::string &buffer, Clock::time_point deadline);
    // How the child ended, waiting up to grace for it to end: "exited with
    // status 3" or "was killed by signal 9 (Killed)"; none while it runs.
    std::optional<std::string> DescribeEnd(std::chrono::milliseconds grace);
    // Kills the process group and reaps it; idempotent.
    void Stop();

    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
};
