#include "engine_process.h"

#include <stdexcept>

using namespace match::process;

namespace {

// The child's errors are captured; its LD_LIBRARY_PATH is libraryPath or none.
ChildOptions EngineOptions(const char *libraryPath, const char *stdinFile)
{
    ChildOptions options;
    options.environment = {libraryPath != nullptr ? std::string("LD_LIBRARY_PATH=") + libraryPath
                                                  : std::string("LD_LIBRARY_PATH")};
    options.inputFile = stdinFile != nullptr ? stdinFile : "";
    options.captureErrors = true;
    return options;
}

Clock::time_point SecondsFromNow(int seconds)
{
    return Clock::now() + std::chrono::seconds(seconds);
}

std::vector<std::string> CommandLine(const std::string &executable, const std::vector<std::string> &arguments)
{
    std::vector<std::string> argv = {executable};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
}

}  // namespace

EngineProcess::EngineProcess(const std::string &executable, const char *libraryPath, const char *stdinFile,
                             const std::vector<std::string> &arguments)
    : child_(CommandLine(executable, arguments), EngineOptions(libraryPath, stdinFile))
{
}

void EngineProcess::Write(const std::string &text)
{
    if (!child_.Write(text, SecondsFromNow(60))) {
        throw std::runtime_error("write: the engine does not read");
    }
}

std::string EngineProcess::ReadOutput(size_t count, int timeoutSeconds)
{
    const Clock::time_point deadline = SecondsFromNow(timeoutSeconds);
    while (output_.size() < count && child_.Read(output_, deadline) == ReadResult::Data) {
    }
    return output_;
}

int EngineProcess::Finish()
{
    child_.CloseInput();
    child_.ReadToEnd(output_, SecondsFromNow(60));
    const std::optional<ChildEnd> end = child_.WaitEnd(SecondsFromNow(60));
    return end && !end->signalled ? end->status : -1;
}

EngineRun RunEngine(const std::string &executable, const char *libraryPath, const std::string &input,
                    const std::vector<std::string> &arguments)
{
    EngineProcess engine(executable, libraryPath, nullptr, arguments);
    if (!input.empty()) {
        engine.Write(input);
    }
    const int status = engine.Finish();
    return {engine.Output(), engine.Errors(), status};
}
