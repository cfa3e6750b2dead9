// The child-process helper as the benchmarks and the tests use it beside the runner.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <system_error>
#include <unistd.h>

#include "process/child_process.h"

using namespace match::process;

namespace {

using namespace std::chrono_literals;

std::string OutputOf(const std::string &script, const ChildOptions &options)
{
    ChildProcess child({"/bin/sh", "-c", script}, options);
    std::string output;
    child.ReadToEnd(output, Clock::now() + 10s);
    return output;
}

TEST(ChildProcess, SetsAndRemovesEnvironmentVariables)
{
    setenv("PEBBLE_REMOVED", "inherited", 1);
    ChildOptions options;
    options.environment = {"PEBBLE_SET=given", "PEBBLE_REMOVED"};
    EXPECT_EQ(OutputOf("echo \"$PEBBLE_SET ${PEBBLE_REMOVED-none}\"", options), "given none\n");
}

TEST(ChildProcess, ReadsItsInputFromAFile)
{
    const std::string path = "/tmp/pebble-child-input-" + std::to_string(getpid());
    std::ofstream(path) << "from the file\n";
    ChildOptions options;
    options.inputFile = path;
    EXPECT_EQ(OutputOf("cat", options), "from the file\n");
    std::remove(path.c_str());
}

TEST(ChildProcess, DrainsCapturedErrorsWhileReadingOutput)
{
    // More than a pipe holds: a child blocked on its error pipe would never print.
    ChildOptions options;
    options.captureErrors = true;
    ChildProcess child({"/bin/sh", "-c", "head -c 200000 /dev/zero >&2; echo done"}, options);
    std::string output;
    child.ReadToEnd(output, Clock::now() + 10s);
    EXPECT_EQ(output, "done\n");
    EXPECT_EQ(child.Errors().size(), 200000u);
}

TEST(ChildProcess, ForwardsErrorsAsWholeLinesAfterAPrefix)
{
    // Two children at once, each line written in two pieces, the last without a line feed.
    const std::string path = "/tmp/pebble-child-errors-" + std::to_string(getpid());
    int saved = dup(STDERR_FILENO);
    FILE *file = std::fopen(path.c_str(), "w");
    dup2(fileno(file), STDERR_FILENO);
    {
        const std::string script =
            "i=0; while [ $i -lt 200 ]; do printf 'line ' >&2; echo $i >&2; i=$((i+1)); done; printf end >&2";
        ChildOptions first;
        first.errorPrefix = "[one] ";
        ChildOptions second;
        second.errorPrefix = "[two] ";
        ChildProcess one({"/bin/sh", "-c", script}, first);
        ChildProcess two({"/bin/sh", "-c", script}, second);
        one.WaitEnd(Clock::now() + 10s);
        two.WaitEnd(Clock::now() + 10s);
    }
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::fclose(file);
    std::map<std::string, int> next;
    std::ifstream lines(path);
    for (std::string line; std::getline(lines, line);) {
        std::string prefix = line.substr(0, 6);
        ASSERT_TRUE(prefix == "[one] " || prefix == "[two] ") << line;
        std::string expected = next[prefix] < 200 ? "line " + std::to_string(next[prefix]) : "end";
        EXPECT_EQ(line.substr(6), expected);
        ++next[prefix];
    }
    EXPECT_EQ(next["[one] "], 201);
    EXPECT_EQ(next["[two] "], 201);
    std::remove(path.c_str());
}

TEST(ChildProcess, ThrowsWhenTheProgramCannotRun)
{
    EXPECT_THROW(ChildProcess({"/nonexistent/program"}, ChildOptions{}), std::system_error);
}

TEST(ChildProcess, TellsHowItEnded)
{
    struct Case {
        const char *script;
        bool signalled;
        int status;
    };
    for (const Case &expected : {Case{"exit 3", false, 3}, Case{"kill -9 $$", true, 9}}) {
        ChildProcess child({"/bin/sh", "-c", expected.script}, ChildOptions{});
        std::optional<ChildEnd> end = child.WaitEnd(Clock::now() + 10s);
        ASSERT_TRUE(end) << expected.script;
        EXPECT_EQ(end->signalled, expected.signalled) << expected.script;
        EXPECT_EQ(end->status, expected.status) << expected.script;
    }
}

}  // namespace
