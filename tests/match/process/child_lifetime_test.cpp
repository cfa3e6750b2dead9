// A child process ends when the process that started it is killed outright,
// even without a guardian.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "process/child_process.h"
#include "run_program.h"

using namespace match::process;

namespace {

using namespace std::chrono_literals;

TEST(ChildLifetime, AChildDiesWithAParentKilledBySigkill)
{
    const std::string pidFile = testing::TempDir() + "pebble-orphan-" + std::to_string(getpid());
    std::remove(pidFile.c_str());
    pid_t parent = fork();
    if (parent == 0) {
        // The forked copy of the test never returns into the test framework.
        try {
            ChildProcess child(
                {"/bin/sh", "-c",
                 "echo $$ > " + pidFile + ".part; mv " + pidFile + ".part " + pidFile + "; exec sleep 300"},
                ChildOptions{});
            for (int wait = 0; wait < 5000 && ReadPids(pidFile).empty(); ++wait)
                std::this_thread::sleep_for(1ms);
            kill(getpid(), SIGKILL);
        } catch (...) {
        }
        _exit(1);
    }
    int status = 0;
    waitpid(parent, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    std::vector<pid_t> orphan = ReadPids(pidFile);
    std::remove(pidFile.c_str());
    ASSERT_EQ(orphan.size(), 1u);
    EXPECT_TRUE(AllEndWithin(orphan, 5s)) << "the child outlived its parent";
    if (!ProcessEnded(orphan[0]))
        kill(orphan[0], SIGKILL);
}

}  // namespace
