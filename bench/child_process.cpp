#include "child_process.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

int WaitFor(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<char *> ArgumentPointers(const std::vector<std::string> &argv)
{
    std::vector<char *> pointers;
    for (const std::string &argument : argv) {
        pointers.push_back(const_cast<char *>(argument.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

EnginePipe::EnginePipe(const std::string &executable, const std::vector<std::string> &arguments)
{
    // A reply to an engine that died must fail, not kill the benchmark.
    std::signal(SIGPIPE, SIG_IGN);
    int toChild[2];
    int fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0) {
        return;
    }
    if (pipe2(fromChild, O_CLOEXEC) != 0) {
        close(toChild[0]);
        close(toChild[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    std::vector<std::string> words = {executable};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv = ArgumentPointers(words);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, executable.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    input_ = toChild[1];
    output_ = fromChild[0];
    pid_ = failed == 0 ? pid : -1;
}

EnginePipe::~EnginePipe()
{
    // The end of input ends the engine.
    if (input_ >= 0) {
        close(input_);
    }
    if (output_ >= 0) {
        close(output_);
    }
    if (pid_ > 0) {
        WaitFor(pid_);
    }
}

bool EnginePipe::Send(const std::string &text)
{
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = write(input_, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        written += static_cast<size_t>(count);
    }
    return true;
}

std::string EnginePipe::Reply()
{
    char buffer[PIPE_BUF];
    ssize_t count;
    do {
        count = read(output_, buffer, sizeof buffer);
    } while (count < 0 && errno == EINTR);
    return count > 0 ? std::string(buffer, static_cast<size_t>(count)) : std::string();
}

int RunQuietly(const std::vector<std::string> &argv)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char *> pointers = ArgumentPointers(argv);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? WaitFor(pid) : -1;
}

std::string ExecutableFolder()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return ".";
    }
    const std::string executable(path, static_cast<size_t>(length));
    const size_t slash = executable.rfind('/');
    return slash == std::string::npos ? "." : executable.substr(0, slash);
}
