#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

#include "process/child_process.h"

// The engine executable run as a child process, talking through pipes.
class EngineProcess {
public:
    // libraryPath: the LD_LIBRARY_PATH to give the child, or null for none.
    // stdinFile: a file to read instead of a pipe, or null. arguments follow
    // the program's name on its command line.
    EngineProcess(const std::string &executable, const char *libraryPath, const char *stdinFile = nullptr,
                  const std::vector<std::string> &arguments = {});

    // text to the child's standard input; throws when the child does not take it.
    void Write(const std::string &text);
    // Waits until the child has written at least count bytes (or closed its
    // output, or timeoutSeconds passed) and returns everything written so far.
    std::string ReadOutput(size_t count, int timeoutSeconds = 60);
    void CloseInput() { child_.CloseInput(); }
    // Stops listening to the child's standard output.
    void CloseOutput() { child_.CloseOutput(); }
    // Closes the input, reads both outputs to their end and returns the exit
    // status, or -1 when the child did not exit normally.
    int Finish();

    const std::string &Output() const { return output_; }
    const std::string &Errors() const { return child_.Errors(); }
    // How far the child read into stdinFile.
    off_t InputOffset() const { return child_.InputFileOffset(); }

private:
    match::process::ChildProcess child_;
    std::string output_;
};

// Runs the engine on input written in one piece and returns when it exits.
struct EngineRun {
    std::string output;
    std::string errors;
    int status;
};
EngineRun RunEngine(const std::string &executable, const char *libraryPath, const std::string &input,
                    const std::vector<std::string> &arguments = {});
