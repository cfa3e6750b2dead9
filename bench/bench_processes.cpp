#include "bench_processes.h"

#include <climits>
#include <system_error>
#include <unistd.h>

namespace bench {

using match::process::ChildEnd;
using match::process::ChildOptions;
using match::process::ChildProcess;
using match::process::Clock;

EnginePipe::EnginePipe(const std::string &executable, const std::vector<std::string> &arguments)
{
    std::vector<std::string> argv = {executable};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    try {
        engine_ = std::make_unique<ChildProcess>(argv, ChildOptions{});
    } catch (const std::system_error &) {
        engine_.reset();
    }
}

bool EnginePipe::Send(const std::string &text)
{
    return engine_ && engine_->Write(text, Clock::time_point::max());
}

std::string EnginePipe::Reply()
{
    std::string reply;
    if (engine_)
        engine_->Read(reply, Clock::time_point::max());
    return reply;
}

int RunQuietly(const std::vector<std::string> &argv)
{
    try {
        ChildOptions quiet;
        quiet.inputFile = "/dev/null";
        quiet.outputFile = "/dev/null";
        ChildProcess program(argv, quiet);
        std::optional<ChildEnd> end = program.WaitEnd(Clock::time_point::max());
        return end && !end->signalled ? end->status : -1;
    } catch (const std::system_error &) {
        return -1;
    }
}

std::string ExecutableFolder()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return ".";
    }
    const std::string executable(path, static_cast<size_t>(length));
    const size_t slash = executable.rfind('/');
    return slash == std::string::npos ? "." : executable.substr(0, slash);
}

}  // namespace bench
