#include "process/protocol_log.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace match::process {

namespace {

std::string Escaped(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        if (c == '\n')
            escaped += "\\n";
        else if (c == '\r')
            escaped += "\\r";
        else
            escaped += c;
    }
    return escaped;
}

}  // namespace

ProtocolLog::ProtocolLog(const std::string &path)
    : fd_(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666))
{
    if (fd_ < 0)
        throw std::system_error(errno, std::generic_category(), "cannot write " + path);
}

ProtocolLog::~ProtocolLog()
{
    close(fd_);
}

void ProtocolLog::Write(std::string_view label, char mark, std::string_view text)
{
    std::lock_guard<std::mutex> hold(lock_);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", std::chrono::duration<double>(Clock::now() - start_).count());
    std::string entry = std::string(seconds) + " [" + std::string(label) + "] " + mark + " " + Escaped(text) + "\n";
    std::string_view rest = entry;
    while (!rest.empty()) {
        ssize_t written = write(fd_, rest.data(), rest.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            failed_ = true;
            return;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
}

}  // namespace match::process
