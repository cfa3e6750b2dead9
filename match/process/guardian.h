#pragma once

#include <sys/types.h>

namespace match::process {

// A small process that outlives the runner just long enough to kill what its
// engines left running when the runner dies without cleaning up (SIGKILL, a
// crash). An engine itself dies then by its parent-death signal (see
// ChildProcess), but the processes it started do not get that signal: they
// die with the engine's process group, which the guardian kills.
//
// The runner and the guardian share one pipe. Every child reports its own
// process group on it between fork and exec (GuardGroup), so a group is known
// before it can start anything; the runner reports it gone once it killed and
// reaped it (ReleaseGroup). The write end is closed on exec, so only the runner
// holds it: the guardian reads end of file when the runner ended, however it
// ended, then kills the groups still reported and exits. Having made the pipe
// before the fork, it cannot miss a death that comes early.
class Guardian {
public:
    // Forks the guardian. Call before any thread starts, as the guardian goes
    // on in ordinary code after the fork. When the fork fails, nothing is
    // reported and only the parent-death signal is left.
    Guardian();
    // Closes the pipe and reaps the guardian, which finds no group left.
    ~Guardian();
    Guardian(const Guardian &) = delete;
    Guardian &operator=(const Guardian &) = delete;

private:
    pid_t pid_ = -1;
};

// The group will be killed if the runner dies. Async-signal-safe, for a child
// between fork and exec; nothing happens without a guardian.
void GuardGroup(pid_t group);
// The runner killed and reaped the group: its id may be taken again.
void ReleaseGroup(pid_t group);

}  // namespace match::process
