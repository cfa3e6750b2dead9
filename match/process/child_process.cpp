#include "process/child_process.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

#include "process/interrupt.h"

namespace {

std::system_error SystemError(const char *what) { return {errno, std::generic_category(), what}; }

void CloseFd(int &fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

// Milliseconds to the deadline for poll, never negative.
int PollTimeout(Clock::time_point deadline)
{
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return 0;
    return left > 1000000 ? 1000000 : static_cast<int>(left);
}

// Waits for fd to become ready for events; false at the deadline.
bool WaitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        ThrowIfInterrupted();
        pollfd entry{fd, events, 0};
        int ready = poll(&entry, 1, PollTimeout(deadline));
        ThrowIfInterrupted();
        if (ready > 0)
            return true;
        if (ready == 0 && Clock::now() >= deadline)
            return false;
        if (ready < 0 && errno != EINTR)
            throw SystemError("poll");
    }
}

} // namespace

ChildProcess::ChildProcess(const std::string &command)
{
    int input[2];
    int output[2];
    if (pipe2(input, O_CLOEXEC) != 0)
        throw SystemError("pipe");
    if (pipe2(output, O_CLOEXEC) != 0) {
        close(input[0]);
        close(input[1]);
        throw SystemError("pipe");
    }
    std::string script = "exec " + command;
    pid_t pid = fork();
    if (pid < 0) {
        int error = errno;
        close(input[0]);
        close(input[1]);
        close(output[0]);
        close(output[1]);
        errno = error;
        throw SystemError("fork");
    }
    if (pid == 0) {
        setpgid(0, 0);
        ResetSignalsForChild();
        dup2(input[0], STDIN_FILENO);
        dup2(output[1], STDOUT_FILENO);
        execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    // Set the group from both sides, so it exists before either goes on.
    setpgid(pid, pid);
    pid_ = pid;
    RegisterChildGroup(pid);
    close(input[0]);
    close(output[1]);
    toChild_ = input[1];
    fromChild_ = output[0];
    fcntl(toChild_, F_SETFL, fcntl(toChild_, F_GETFL) | O_NONBLOCK);
}

ChildProcess::~ChildProcess() { Stop(); }

bool ChildProcess::Write(std::string_view text, Clock::time_point deadline)
{
    while (!text.empty()) {
        if (toChild_ < 0 || !WaitFor(toChild_, POLLOUT, deadline))
            return false;
        ssize_t written = write(toChild_, text.data(), text.size());
        if (written < 0) {
            if (errno == EAGAIN || errno == EINTR)
                continue;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool ChildProcess::WaitUntilRead(Clock::time_point deadline)
{
    auto pause = std::chrono::microseconds(20);
    for (;;) {
        int unread = 0;
        if (toChild_ < 0 || ioctl(toChild_, FIONREAD, &unread) != 0 || unread == 0)
            return true;
        // POLLERR on our end: nobody is left to read what lies in the pipe.
        pollfd entry{toChild_, POLLOUT, 0};
        if (Clock::now() >= deadline || (poll(&entry, 1, 0) > 0 && (entry.revents & POLLERR) != 0))
            return false;
        ThrowIfInterrupted();
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(5000));
    }
}

ReadResult ChildProcess::Read(std::string &buffer, Clock::time_point deadline)
{
    if (fromChild_ < 0)
        return ReadResult::Closed;
    if (!WaitFor(fromChild_, POLLIN, deadline))
        return ReadResult::TimedOut;
    char chunk[4096];
    for (;;) {
        ssize_t got = read(fromChild_, chunk, sizeof chunk);
        if (got > 0) {
            buffer.append(chunk, static_cast<std::size_t>(got));
            return ReadResult::Data;
        }
        if (got == 0 || errno != EINTR)
            return ReadResult::Closed;
        ThrowIfInterrupted();
    }
}

std::optional<std::string> ChildProcess::DescribeEnd(std::chrono::milliseconds grace)
{
    if (pid_ < 0)
        return "was stopped";
    auto deadline = Clock::now() + grace;
    for (;;) {
        siginfo_t info{};
        // WNOWAIT leaves the child a zombie, so its group id stays taken until Stop.
        if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid_) {
            // 126 and 127 are the shell's own: it could not run the command.
            if (info.si_code == CLD_EXITED && info.si_status == 127)
                return std::string("exited with status 127 (command not found)");
            if (info.si_code == CLD_EXITED && info.si_status == 126)
                return std::string("exited with status 126 (command not executable)");
            if (info.si_code == CLD_EXITED)
                return "exited with status " + std::to_string(info.si_status);
            return "was killed by signal " + std::to_string(info.si_status) + " (" + strsignal(info.si_status) + ")";
        }
        if (Clock::now() >= deadline)
            return std::nullopt;
        ThrowIfInterrupted();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void ChildProcess::Stop()
{
    CloseFd(toChild_);
    CloseFd(fromChild_);
    if (pid_ < 0)
        return;
    kill(-pid_, SIGKILL);
    // Reaps the engine and any of its own children that were left to us.
    for (;;) {
        int status = 0;
        if (waitpid(-pid_, &status, 0) < 0 && errno != EINTR)
            break;
    }
    UnregisterChildGroup(pid_);
    pid_ = -1;
}
