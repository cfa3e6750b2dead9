#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace match::process {

// Copies what a child writes to its standard error onto ours, each line after
// a prefix naming the child. Every line leaves in one piece under a lock
// shared by all forwarders, so lines of children running at once never mix;
// a last line without a line feed gets one.
class ErrorForwarder {
public:
    // Called on the forwarder's thread with each line, without prefix or line feed.
    using LineSink = std::function<void(std::string_view)>;

    // Takes ownership of fd, the read end of the child's error pipe; each
    // line also goes to sink, unless it is empty.
    ErrorForwarder(int fd, std::string prefix, LineSink sink = {});
    // Forwards what the child has written so far and stops.
    ~ErrorForwarder();
    ErrorForwarder(const ErrorForwarder &) = delete;
    ErrorForwarder &operator=(const ErrorForwarder &) = delete;

private:
    void Run();
    void WriteLines(bool flushPartial);

    int fd_;
    int stopRead_ = -1;
    int stopWrite_ = -1;
    std::string prefix_;
    LineSink sink_;
    std::string pending_;
    std::thread thread_;
};

}  // namespace match::process
