#include "process/child_process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

#ifdef __linux__
#include <sys/prctl.h>
#endif

#include "process/guardian.h"
#include "process/interrupt.h"
#include "process/pipe_read.h"

extern char **environ;

namespace match::process {

namespace {

std::system_error SystemError(const char *what)
{
    return {errno, std::generic_category(), what};
}

void CloseFd(int &fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

// A file descriptor closed when it goes out of scope unless released.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor &&other) noexcept : fd_(other.Release()) {}
    Descriptor &operator=(Descriptor &&other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Descriptor() { CloseFd(fd_); }

    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }
    void Reset() { CloseFd(fd_); }

private:
    int fd_ = -1;
};

struct Pipe {
    Descriptor read;
    Descriptor write;
};

Pipe MakePipe()
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        throw SystemError("pipe");
    return {Descriptor(ends[0]), Descriptor(ends[1])};
}

// No descriptor when path is empty.
Descriptor OpenFile(const std::string &path, int flags)
{
    if (path.empty())
        return {};
    int fd = open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0)
        throw SystemError("open");
    return Descriptor(fd);
}

// Our environment with the changes applied: "NAME=value" sets, "NAME" removes.
std::vector<std::string> ChildEnvironment(const std::vector<std::string> &changes)
{
    std::vector<std::string> variables;
    for (char **entry = environ; *entry != nullptr; ++entry)
        variables.emplace_back(*entry);
    for (const std::string &change : changes) {
        std::string prefix = change.substr(0, change.find('=')) + "=";
        std::erase_if(variables, [&](const std::string &variable) { return variable.starts_with(prefix); });
        if (change.find('=') != std::string::npos)
            variables.push_back(change);
    }
    return variables;
}

std::vector<char *> Pointers(std::vector<std::string> &strings)
{
    std::vector<char *> pointers;
    for (std::string &text : strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// In the forked child: only async-signal-safe calls. A failed exec sends its
// errno through report.
[[noreturn]] void RunChild(pid_t parent, int input, int output, int errors, int report, char **argv, char **environment)
{
    setpgid(0, 0);
#ifdef __linux__
    // Killed when the parent dies, SIGKILL included; exec keeps the setting.
    // The signal follows the thread that forked, not the process: see the class.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // A parent that died before the call sends no signal: it has been replaced.
    if (getppid() != parent)
        _exit(127);
#endif
    // Before the reset, while SIGPIPE is ignored: a guardian that is gone
    // must not kill the child.
    GuardGroup(getpid());
    ResetSignalsForChild();
    dup2(input, STDIN_FILENO);
    dup2(output, STDOUT_FILENO);
    if (errors >= 0)
        dup2(errors, STDERR_FILENO);
    execve(argv[0], argv, environment);
    int error = errno;
    ssize_t ignored = write(report, &error, sizeof error);
    (void)ignored;
    _exit(127);
}

// True when the child reported a failed exec; report closes at a successful one.
bool ExecFailed(int report, int &error)
{
    for (;;) {
        ssize_t got = read(report, &error, sizeof error);
        if (got < 0 && errno == EINTR)
            continue;
        return got == static_cast<ssize_t>(sizeof error);
    }
}

// Milliseconds to the deadline for poll, never negative.
int PollTimeout(Clock::time_point deadline)
{
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return 0;
    return left > 1000000 ? 1000000 : static_cast<int>(left);
}

// Waits until one of entries is ready (negative descriptors are skipped);
// false at the deadline.
bool WaitFor(pollfd *entries, nfds_t count, Clock::time_point deadline)
{
    for (;;) {
        ThrowIfInterrupted();
        int ready = poll(entries, count, PollTimeout(deadline));
        ThrowIfInterrupted();
        if (ready > 0)
            return true;
        if (ready == 0 && Clock::now() >= deadline)
            return false;
        if (ready < 0 && errno != EINTR)
            throw SystemError("poll");
    }
}

// Appends one read of fd to sink; at the end of the stream closes fd and
// returns false.
bool ReadChunk(int &fd, std::string &sink)
{
    for (;;) {
        PipeRead result = AppendFromPipe(fd, sink);
        if (result == PipeRead::Data)
            return true;
        if (result == PipeRead::Closed) {
            CloseFd(fd);
            return false;
        }
        ThrowIfInterrupted();
    }
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string> &argv, const ChildOptions &options)
{
    // A write to a child that quit fails instead of killing us.
    std::signal(SIGPIPE, SIG_IGN);
    Descriptor inputFile = OpenFile(options.inputFile, O_RDONLY);
    Descriptor outputFile = OpenFile(options.outputFile, O_WRONLY | O_CREAT | O_TRUNC);
    Descriptor errorFile = OpenFile(options.errorFile, O_WRONLY | O_CREAT | O_TRUNC);
    Pipe input = inputFile.Get() < 0 ? MakePipe() : Pipe{};
    Pipe output = outputFile.Get() < 0 ? MakePipe() : Pipe{};
    bool forwardErrors = !options.captureErrors && options.errorFile.empty() && !options.errorPrefix.empty();
    Pipe errors = options.captureErrors || forwardErrors ? MakePipe() : Pipe{};
    Pipe report = MakePipe();
    std::vector<std::string> arguments = argv;
    std::vector<std::string> variables = ChildEnvironment(options.environment);
    std::vector<char *> argumentPointers = Pointers(arguments);
    std::vector<char *> environment = Pointers(variables);
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid < 0)
        throw SystemError("fork");
    if (pid == 0)
        RunChild(parent, std::max(inputFile.Get(), input.read.Get()), std::max(outputFile.Get(), output.write.Get()),
                 std::max(errorFile.Get(), errors.write.Get()), report.write.Get(), argumentPointers.data(),
                 environment.data());
    // Set the group from both sides, so it exists before either goes on.
    setpgid(pid, pid);
    report.write.Reset();
    int error = 0;
    if (ExecFailed(report.read.Get(), error)) {
        waitpid(pid, nullptr, 0);
        ReleaseGroup(pid);
        errno = error;
        throw SystemError("exec");
    }
    pid_ = pid;
    RegisterChildGroup(pid);
    toChild_ = input.write.Release();
    fromChild_ = output.read.Release();
    if (forwardErrors)
        errorForwarder_ =
            std::make_unique<ErrorForwarder>(errors.read.Release(), options.errorPrefix, options.errorLines);
    else
        errorsFromChild_ = errors.read.Release();
    inputFile_ = inputFile.Release();
    if (toChild_ >= 0)
        fcntl(toChild_, F_SETFL, fcntl(toChild_, F_GETFL) | O_NONBLOCK);
}

ChildProcess::~ChildProcess()
{
    Stop();
}

bool ChildProcess::Write(std::string_view text, Clock::time_point deadline)
{
    while (!text.empty()) {
        pollfd entry{toChild_, POLLOUT, 0};
        if (toChild_ < 0 || !WaitFor(&entry, 1, deadline))
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
    for (;;) {
        if (fromChild_ < 0)
            return ReadResult::Closed;
        // The errors are drained too, so that a full error pipe never stalls the child.
        pollfd entries[2] = {{fromChild_, POLLIN, 0}, {errorsFromChild_, POLLIN, 0}};
        if (!WaitFor(entries, 2, deadline))
            return ReadResult::TimedOut;
        if (entries[1].revents != 0)
            ReadChunk(errorsFromChild_, errors_);
        if (entries[0].revents != 0)
            return ReadChunk(fromChild_, buffer) ? ReadResult::Data : ReadResult::Closed;
    }
}

void ChildProcess::ReadToEnd(std::string &buffer, Clock::time_point deadline)
{
    for (ReadResult result = ReadResult::Data; result != ReadResult::Closed;) {
        result = Read(buffer, deadline);
        if (result == ReadResult::TimedOut)
            return;
    }
    pollfd entry{errorsFromChild_, POLLIN, 0};
    while (errorsFromChild_ >= 0 && WaitFor(&entry, 1, deadline))
        ReadChunk(errorsFromChild_, errors_);
}

void ChildProcess::CloseInput()
{
    CloseFd(toChild_);
}

void ChildProcess::CloseOutput()
{
    CloseFd(fromChild_);
}

off_t ChildProcess::InputFileOffset() const
{
    return lseek(inputFile_, 0, SEEK_CUR);
}

std::optional<ChildEnd> ChildProcess::WaitEnd(Clock::time_point deadline)
{
    for (;;) {
        siginfo_t info{};
        // WNOWAIT leaves the child a zombie, so its group id stays taken until Stop.
        if (pid_ >= 0 && waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == pid_)
            return ChildEnd{info.si_code != CLD_EXITED, info.si_status};
        if (pid_ < 0 || Clock::now() >= deadline)
            return std::nullopt;
        ThrowIfInterrupted();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

std::optional<std::string> ChildProcess::DescribeEnd(std::chrono::milliseconds grace)
{
    if (pid_ < 0)
        return "was stopped";
    std::optional<ChildEnd> end = WaitEnd(Clock::now() + grace);
    if (!end)
        return std::nullopt;
    if (end->signalled)
        return "was killed by signal " + std::to_string(end->status) + " (" + strsignal(end->status) + ")";
    // 126 and 127 are the shell's own: it could not run the command.
    if (end->status == 127)
        return std::string("exited with status 127 (command not found)");
    if (end->status == 126)
        return std::string("exited with status 126 (command not executable)");
    return "exited with status " + std::to_string(end->status);
}

void ChildProcess::Stop()
{
    CloseFd(toChild_);
    CloseFd(fromChild_);
    CloseFd(errorsFromChild_);
    CloseFd(inputFile_);
    if (pid_ < 0)
        return;
    kill(-pid_, SIGKILL);
    // Reaps the child and any of its own children that were left to us.
    for (;;) {
        int status = 0;
        if (waitpid(-pid_, &status, 0) < 0 && errno != EINTR)
            break;
    }
    UnregisterChildGroup(pid_);
    ReleaseGroup(pid_);
    pid_ = -1;
    // After the reaping, so that the child's last words are forwarded.
    errorForwarder_.reset();
}

}  // namespace match::process
