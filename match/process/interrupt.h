#pragma once

#include <exception>
#include <sys/types.h>

namespace match::process {

// Thrown out of any wait once SIGINT, SIGTERM or SIGHUP arrived (or
// InterruptChildren was called), so that every child is stopped on the way out.
struct Interrupted : std::exception {
    const char *what() const noexcept override { return "interrupted"; }
};

// SIGINT, SIGTERM and SIGHUP (a closed terminal or a dropped connection) set
// the interrupt flag and kill every registered child process group at once,
// which also wakes any wait on their pipes. SIGPIPE is ignored so that a write
// to an engine that quit fails instead of killing us.
void InstallInterruptHandlers();
bool InterruptRequested();
void ThrowIfInterrupted();
// What those signals do, from within: for a run that stops for a reason of its
// own, so that the children at work end at once.
void InterruptChildren();

void RegisterChildGroup(pid_t group);
void UnregisterChildGroup(pid_t group);

// Restores the default dispositions in a freshly forked child before exec.
void ResetSignalsForChild();

}  // namespace match::process
