// A child process, and with a guardian its own children, end when the process
// that started it is killed outright.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "process/child_process.h"
#include "process/guardian.h"
#include "run_program.h"

using namespace match::process;

namespace {

using namespace std::chrono_literals;

// Forks a parent that (with a guardian if asked) starts a shell, which starts
// a sleep of its own; once both have written their ids the parent is killed
// with SIGKILL. Returns the ids of the shell and of the sleep.
std::vector<pid_t> OrphansOfAKilledParent(bool guarded)
{
    const std::string pids = testing::TempDir() + "pebble-orphans-" + std::to_string(getpid());
    std::remove(pids.c_str());
    pid_t parent = fork();
    if (parent == 0) {
        // The forked copy of the test never returns into the test framework.
        try {
            std::unique_ptr<Guardian> guardian = guarded ? std::make_unique<Guardian>() : nullptr;
            ChildProcess shell({"/bin/sh", "-c",
                                "sleep 300 & echo $$ $! > " + pids + ".part; mv " + pids + ".part " + pids + "; wait"},
                               ChildOptions{});
            for (int wait = 0; wait < 5000 && ReadPids(pids).size() < 2; ++wait)
                std::this_thread::sleep_for(1ms);
            kill(getpid(), SIGKILL);
        } catch (...) {
        }
        _exit(1);
    }
    int status = 0;
    waitpid(parent, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    std::vector<pid_t> orphans = ReadPids(pids);
    std::remove(pids.c_str());
    return orphans;
}

void KillLeft(const std::vector<pid_t> &pids)
{
    for (pid_t pid : pids)
        if (!ProcessEnded(pid))
            kill(pid, SIGKILL);
}

TEST(ChildLifetime, AChildDiesWithItsParent)
{
    std::vector<pid_t> orphans = OrphansOfAKilledParent(false);
    ASSERT_EQ(orphans.size(), 2u);
    EXPECT_TRUE(AllEndWithin({orphans[0]}, 5s)) << "the shell outlived its parent";
    // Without a guardian nothing reaches the shell's own child.
    KillLeft(orphans);
}

TEST(ChildLifetime, AGuardianEndsTheChildsOwnChildrenToo)
{
    std::vector<pid_t> orphans = OrphansOfAKilledParent(true);
    ASSERT_EQ(orphans.size(), 2u);
    EXPECT_TRUE(AllEndWithin(orphans, 5s)) << "the shell or its sleep outlived the parent";
    KillLeft(orphans);
}

}  // namespace
