#include "run_program.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string Slurp(const std::string &path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

pid_t StartProgram(const std::vector<std::string> &arguments, const std::string &outPath, const std::string &errPath)
{
    pid_t pid = fork();
    if (pid != 0)
        return pid;
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int none = open("/dev/null", O_RDONLY);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    dup2(none, STDIN_FILENO);
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(126);
}

int WaitProgram(pid_t pid, std::chrono::seconds limit, bool &timedOut)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    timedOut = false;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            timedOut = true;
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

ProgramRun RunProgram(const std::vector<std::string> &arguments, std::chrono::seconds limit)
{
    static int runs = 0;
    std::string base = "/tmp/pebble-match-test-" + std::to_string(getpid()) + "-" + std::to_string(++runs);
    auto start = std::chrono::steady_clock::now();
    ProgramRun run;
    pid_t pid = StartProgram(arguments, base + ".out", base + ".err");
    run.status = WaitProgram(pid, limit, run.timedOut);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.out = Slurp(base + ".out");
    run.err = Slurp(base + ".err");
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

bool ProcessExists(pid_t pid) { return kill(pid, 0) == 0 || errno != ESRCH; }
