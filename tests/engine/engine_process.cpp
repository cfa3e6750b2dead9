#include "engine_process.h"

#include <stdexcept>

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

Clock::time_point SecondsFromNow(int seconds) { return Clock::now() + std::chrono::seconds(seconds); }

}  // namespace

EngineProcess::EngineProcess(const std::string &executable, const char *libraryPath,
                             const char *stdinFile)
    : child_({executable}, EngineOptions(libraryPath, stdinFile))
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

EngineRun RunEngine(const std::string &executable, const char *libraryPath,
                    const std::string &input)
{
    EngineProcess engine(executable, libraryPath);
    if (!input.empty()) {
        engine.Write(input);
    }
    const int status = engine.Finish();
    return {engine.Output(), engine.Errors(), status};
}
