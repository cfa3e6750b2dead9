#include "process/guardian.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace match::process {

namespace {

// The runner's write end of the pipe to the guardian; -1 without one. A
// message is one pid_t: a group when it starts, its negation when it is gone.
std::atomic<int> reportEnd{-1};

void Report(pid_t message)
{
    int fd = reportEnd.load();
    if (fd < 0)
        return;
    // A write this small is never split on a pipe. The end does not block:
    // with a guardian that stopped reading, a report is lost, not the run.
    ssize_t ignored = write(fd, &message, sizeof message);
    (void)ignored;
}

// The guardian's standard streams lead nowhere, and it keeps no other
// descriptor of the runner's, so that nobody waits on it for an end of file.
// Returns where reports is now (above the standard streams).
int DetachDescriptors(int reports)
{
    reports = fcntl(reports, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    int null = open("/dev/null", O_RDWR);
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        dup2(null, fd);
    if (reports > STDERR_FILENO + 1)
        close_range(STDERR_FILENO + 1, static_cast<unsigned>(reports) - 1, 0);
    close_range(static_cast<unsigned>(reports) + 1, ~0U, 0);
    return reports;
}

// Applies every whole message in pending to groups and drops it.
void TakeMessages(std::string &pending, std::set<pid_t> &groups)
{
    std::size_t whole = pending.size() - pending.size() % sizeof(pid_t);
    for (std::size_t at = 0; at < whole; at += sizeof(pid_t)) {
        pid_t message = 0;
        std::memcpy(&message, pending.data() + at, sizeof message);
        if (message > 0)
            groups.insert(message);
        else
            groups.erase(-message);
    }
    pending.erase(0, whole);
}

[[noreturn]] void Guard(int reports)
{
    // A group of its own, so that a signal to the runner's group (a terminal's
    // Ctrl-C or hang-up, kill -9 of the job) does not end it with the runner;
    // and deaf to the signals that end a runner, so that it is still there when
    // the runner is gone.
    setpgid(0, 0);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        std::signal(signalNumber, SIG_IGN);
    reports = DetachDescriptors(reports);
    std::set<pid_t> groups;
    std::string pending;
    char chunk[4096];
    for (;;) {
        ssize_t got = read(reports, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        pending.append(chunk, static_cast<std::size_t>(got));
        TakeMessages(pending, groups);
    }
    for (pid_t group : groups)
        kill(-group, SIGKILL);
    _exit(0);
}

}  // namespace

Guardian::Guardian()
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return;
    pid_t pid = fork();
    if (pid == 0) {
        close(ends[1]);
        Guard(ends[0]);
    }
    close(ends[0]);
    if (pid < 0) {
        close(ends[1]);
        return;
    }
    fcntl(ends[1], F_SETFL, fcntl(ends[1], F_GETFL) | O_NONBLOCK);
    pid_ = pid;
    reportEnd.store(ends[1]);
}

Guardian::~Guardian()
{
    int fd = reportEnd.exchange(-1);
    if (fd >= 0)
        close(fd);
    while (pid_ > 0 && waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
}

void GuardGroup(pid_t group)
{
    Report(group);
}

void ReleaseGroup(pid_t group)
{
    Report(-group);
}

}  // namespace match::process
