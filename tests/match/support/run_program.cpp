#include "run_program.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fstream>
#include <iterator>
#include <thread>
#include <unistd.h>

using namespace match::process;

std::unique_ptr<ChildProcess> StartProgram(const std::vector<std::string> &arguments, const std::string &outPath,
                                           const std::string &errPath)
{
    ChildOptions files;
    files.inputFile = "/dev/null";
    files.outputFile = outPath;
    files.errorFile = errPath;
    return std::make_unique<ChildProcess>(arguments, files);
}

int WaitProgram(ChildProcess &program, std::chrono::seconds limit, bool &timedOut)
{
    std::optional<ChildEnd> end = program.WaitEnd(Clock::now() + limit);
    timedOut = !end;
    program.Stop();
    return end ? end->ShellStatus() : 128 + SIGKILL;
}

ProgramRun RunProgram(const std::vector<std::string> &arguments, std::chrono::seconds limit)
{
    static int runs = 0;
    std::string base = "/tmp/pebble-match-test-" + std::to_string(getpid()) + "-" + std::to_string(++runs);
    auto start = std::chrono::steady_clock::now();
    ProgramRun run;
    run.status = WaitProgram(*StartProgram(arguments, base + ".out", base + ".err"), limit, run.timedOut);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.out = FileText(base + ".out");
    run.err = FileText(base + ".err");
    unlink((base + ".out").c_str());
    unlink((base + ".err").c_str());
    return run;
}

std::vector<pid_t> ReadPids(const std::string &path)
{
    std::vector<pid_t> pids;
    std::ifstream file(path);
    for (int pid; file >> pid;)
        pids.push_back(pid);
    return pids;
}

bool ProcessExists(pid_t pid)
{
    return kill(pid, 0) == 0 || errno != ESRCH;
}

bool ProcessEnded(pid_t pid)
{
    // The state is the letter after the command's name, which ends at the last ')'.
    std::string stat = FileText("/proc/" + std::to_string(pid) + "/stat");
    std::size_t name = stat.rfind(')');
    if (name == std::string::npos || name + 2 >= stat.size())
        return true;
    char state = stat[name + 2];
    return state == 'Z' || state == 'X';
}

bool AllEndWithin(const std::vector<pid_t> &pids, std::chrono::milliseconds limit)
{
    auto deadline = Clock::now() + limit;
    while (!std::all_of(pids.begin(), pids.end(), ProcessEnded)) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string FileText(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
