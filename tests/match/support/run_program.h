#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

#include "process/child_process.h"

struct ProgramRun {
    int status = -1;  // exit status, or 128 + signal
    bool timedOut = false;
    std::string out;
    std::string err;
    double seconds = 0.0;
};

// Runs program with arguments, its output captured, and kills it if it is
// still running after limit.
ProgramRun RunProgram(const std::vector<std::string> &arguments, std::chrono::seconds limit);

// Starts program in the background with its output sent to files; the
// caller waits for it with WaitProgram.
std::unique_ptr<match::process::ChildProcess> StartProgram(const std::vector<std::string> &arguments,
                                                           const std::string &outPath, const std::string &errPath);
// The exit status or 128 + signal; kills the program after limit.
int WaitProgram(match::process::ChildProcess &program, std::chrono::seconds limit, bool &timedOut);

// The process ids a scripted engine appended to path.
std::vector<pid_t> ReadPids(const std::string &path);
// The whole content of a file, empty when it cannot be read.
std::string FileText(const std::string &path);
// True while pid names a process, zombies included.
bool ProcessExists(pid_t pid);
// True when pid names no process or one that died, waiting to be reaped by
// whoever inherited it (a process whose parent was killed).
bool ProcessEnded(pid_t pid);
// Waits until every one of pids ended; false when some still run after limit.
bool AllEndWithin(const std::vector<pid_t> &pids, std::chrono::milliseconds limit);
