#include "process/interrupt.h"

#include <atomic>
#include <csignal>

namespace match::process {

namespace {

// Two engines for each of up to 256 concurrent games, and room to spare.
constexpr int GROUP_SLOTS = 600;

// Atomic, not only volatile: a game's thread sets it too (InterruptChildren).
std::atomic<bool> interruptFlag{false};
std::atomic<pid_t> childGroups[GROUP_SLOTS];

extern "C" void OnInterrupt(int)
{
    InterruptChildren();
}

void Handle(int signalNumber, void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signalNumber, &action, nullptr);
}

}  // namespace

void InstallInterruptHandlers()
{
    Handle(SIGINT, OnInterrupt);
    Handle(SIGTERM, OnInterrupt);
    Handle(SIGHUP, OnInterrupt);
    Handle(SIGPIPE, SIG_IGN);
}

bool InterruptRequested()
{
    return interruptFlag.load();
}

void ThrowIfInterrupted()
{
    if (InterruptRequested())
        throw Interrupted();
}

// Async-signal-safe: the signal handler's body.
void InterruptChildren()
{
    interruptFlag.store(true);
    for (std::atomic<pid_t> &slot : childGroups) {
        pid_t group = slot.load();
        if (group > 0)
            kill(-group, SIGKILL);
    }
}

void RegisterChildGroup(pid_t group)
{
    for (std::atomic<pid_t> &slot : childGroups) {
        pid_t empty = 0;
        if (slot.compare_exchange_strong(empty, group))
            return;
    }
}

void UnregisterChildGroup(pid_t group)
{
    for (std::atomic<pid_t> &slot : childGroups) {
        pid_t expected = group;
        if (slot.compare_exchange_strong(expected, 0))
            return;
    }
}

void ResetSignalsForChild()
{
    Handle(SIGINT, SIG_DFL);
    Handle(SIGTERM, SIG_DFL);
    Handle(SIGHUP, SIG_DFL);
    Handle(SIGPIPE, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

}  // namespace match::process
