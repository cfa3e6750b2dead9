#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>

#include "process/child_process.h"

namespace match::process {

// The marks of a log entry.
inline constexpr char LOG_SENT = '>';
inline constexpr char LOG_RECEIVED = '<';
inline constexpr char LOG_ENGINE_ERROR = '!';  // a line of the engine's standard error
inline constexpr char LOG_NOTE = '#';          // the runner's own word: a timeout, a close, a bad reply

// Every line the engines of a run are sent and send, in one file shared by
// all games. An entry is "SECONDS [LABEL] MARK TEXT": seconds since the log
// was opened, to the millisecond. Each entry leaves in one write under a
// lock, so entries of games played at once never mix, and nothing waits in a
// buffer: a killed run keeps every entry made before.
class ProtocolLog {
public:
    // Creates or truncates path; throws std::system_error when it cannot.
    explicit ProtocolLog(const std::string &path);
    ~ProtocolLog();
    ProtocolLog(const ProtocolLog &) = delete;
    ProtocolLog &operator=(const ProtocolLog &) = delete;

    // Line breaks inside text are written as \n and \r, so that an entry is one line.
    void Write(std::string_view label, char mark, std::string_view text);
    // True once an entry could not be written whole.
    bool Failed() const { return failed_; }

private:
    int fd_ = -1;
    Clock::time_point start_ = Clock::now();
    std::mutex lock_;
    std::atomic<bool> failed_ = false;
};

}  // namespace match::process
