#include "process/error_forwarder.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <string_view>
#include <system_error>
#include <unistd.h>

#include "process/pipe_read.h"

namespace match::process {

namespace {

// Longest line kept whole; a longer one is cut into pieces of this size.
constexpr std::size_t MAX_LINE = 4096;

std::mutex &StandardErrorLock()
{
    static std::mutex lock;
    return lock;
}

void WriteAll(std::string_view text)
{
    while (!text.empty()) {
        ssize_t written = write(STDERR_FILENO, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

// One read of fd appended to sink, retried when a signal interrupts it; false
// at the end of the stream or, for a non-blocking fd, when nothing is left.
bool ReadInto(int fd, std::string &sink)
{
    PipeRead result;
    do
        result = AppendFromPipe(fd, sink);
    while (result == PipeRead::Interrupted);
    return result == PipeRead::Data;
}

}  // namespace

ErrorForwarder::ErrorForwarder(int fd, std::string prefix, LineSink sink)
    : fd_(fd), prefix_(std::move(prefix)), sink_(std::move(sink))
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        close(fd_);
        throw std::system_error(errno, std::generic_category(), "pipe");
    }
    stopRead_ = ends[0];
    stopWrite_ = ends[1];
    // The thread starts with every signal blocked, so that an interrupt
    // reaches the thread that talks to the engines.
    sigset_t all;
    sigset_t before;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &before);
    thread_ = std::thread(&ErrorForwarder::Run, this);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

ErrorForwarder::~ErrorForwarder()
{
    char stop = 0;
    while (write(stopWrite_, &stop, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
    close(stopWrite_);
    close(stopRead_);
    close(fd_);
}

void ErrorForwarder::Run()
{
    pollfd entries[2] = {{fd_, POLLIN, 0}, {stopRead_, POLLIN, 0}};
    for (;;) {
        if (poll(entries, 2, -1) < 0 && errno != EINTR)
            break;
        if (entries[0].revents != 0) {
            if (!ReadInto(fd_, pending_))
                break;
            WriteLines(false);
        }
        if (entries[1].revents != 0) {
            // Stopping: what the child left in the pipe still goes out.
            fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK);
            while (ReadInto(fd_, pending_)) {
            }
            break;
        }
    }
    WriteLines(true);
}

void ErrorForwarder::WriteLines(bool flushPartial)
{
    std::string out;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = pending_.find('\n', start);
        bool cut = end == std::string::npos && pending_.size() - start >= MAX_LINE;
        if (end == std::string::npos && !cut && !(flushPartial && start < pending_.size()))
            break;
        std::size_t length = end != std::string::npos ? end - start : std::min(pending_.size() - start, MAX_LINE);
        out += prefix_;
        out.append(pending_, start, length);
        out += '\n';
        if (sink_)
            sink_(std::string_view(pending_).substr(start, length));
        start += length + (end != std::string::npos ? 1 : 0);
    }
    pending_.erase(0, start);
    if (out.empty())
        return;
    std::lock_guard<std::mutex> hold(StandardErrorLock());
    WriteAll(out);
}

}  // namespace match::process
