#include "engine_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

void Check(bool ok, const char *what)
{
    if (!ok) {
        throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
    }
}

std::vector<std::string> ChildEnvironment(const char *libraryPath)
{
    std::vector<std::string> variables;
    for (char **entry = environ; *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, "LD_LIBRARY_PATH=", 16) != 0) {
            variables.emplace_back(*entry);
        }
    }
    if (libraryPath != nullptr) {
        variables.push_back(std::string("LD_LIBRARY_PATH=") + libraryPath);
    }
    return variables;
}

}  // namespace

EngineProcess::EngineProcess(const std::string &executable, const char *libraryPath,
                             const char *stdinFile, const std::vector<std::string> &arguments)
{
    std::signal(SIGPIPE, SIG_IGN);
    int inputPipe[2];
    int outputPipe[2];
    int errorPipe[2];
    Check(pipe(inputPipe) == 0 && pipe(outputPipe) == 0 && pipe(errorPipe) == 0, "pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdinFile != nullptr) {
        stdinFile_ = open(stdinFile, O_RDONLY);
        Check(stdinFile_ >= 0, "open");
        posix_spawn_file_actions_adddup2(&actions, stdinFile_, STDIN_FILENO);
    } else {
        posix_spawn_file_actions_adddup2(&actions, inputPipe[0], STDIN_FILENO);
    }
    posix_spawn_file_actions_adddup2(&actions, outputPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errorPipe[1], STDERR_FILENO);
    for (int fd : {inputPipe[0], inputPipe[1], outputPipe[0], outputPipe[1], errorPipe[0],
                   errorPipe[1]}) {
        posix_spawn_file_actions_addclose(&actions, fd);
    }
    std::vector<std::string> variables = ChildEnvironment(libraryPath);
    std::vector<char *> environment;
    for (std::string &variable : variables) {
        environment.push_back(variable.data());
    }
    environment.push_back(nullptr);
    std::vector<std::string> words = {executable};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const int spawned =
        posix_spawn(&pid_, executable.c_str(), &actions, nullptr, argv.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    close(inputPipe[0]);
    close(outputPipe[1]);
    close(errorPipe[1]);
    input_ = inputPipe[1];
    stdout_ = outputPipe[0];
    stderr_ = errorPipe[0];
    if (stdinFile != nullptr) {
        CloseInput();
    }
    errno = spawned;
    Check(spawned == 0, "posix_spawn");
}

EngineProcess::~EngineProcess()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    for (int fd : {input_, stdout_, stderr_, stdinFile_}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

void EngineProcess::Write(const std::string &text)
{
    const ssize_t written = write(input_, text.data(), text.size());
    Check(written == static_cast<ssize_t>(text.size()), "write");
}

void EngineProcess::CloseInput()
{
    if (input_ >= 0) {
        close(input_);
        input_ = -1;
    }
}

void EngineProcess::CloseOutput()
{
    if (stdout_ >= 0) {
        close(stdout_);
        stdout_ = -1;
    }
}

// Reads what is ready on either output; false once both are closed or the
// wait timed out.
bool EngineProcess::Pump(int timeoutMilliseconds)
{
    pollfd fds[2] = {{stdout_, POLLIN, 0}, {stderr_, POLLIN, 0}};
    if (stdout_ < 0 && stderr_ < 0) {
        return false;
    }
    const int ready = poll(fds, 2, timeoutMilliseconds);
    if (ready <= 0) {
        return false;
    }
    int *fdsOwned[2] = {&stdout_, &stderr_};
    std::string *sinks[2] = {&output_, &errors_};
    for (int k = 0; k < 2; ++k) {
        if (*fdsOwned[k] < 0 || fds[k].revents == 0) {
            continue;
        }
        char buffer[4096];
        const ssize_t count = read(*fdsOwned[k], buffer, sizeof buffer);
        if (count <= 0) {
            close(*fdsOwned[k]);
            *fdsOwned[k] = -1;
        } else {
            sinks[k]->append(buffer, static_cast<size_t>(count));
        }
    }
    return true;
}

std::string EngineProcess::ReadOutput(size_t count, int timeoutSeconds)
{
    const int step = 50;
    for (int waited = 0; output_.size() < count && stdout_ >= 0 && waited < timeoutSeconds * 1000;
         waited += step) {
        Pump(step);
    }
    return output_;
}

int EngineProcess::Finish()
{
    CloseInput();
    while (Pump(60000)) {
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

off_t EngineProcess::InputOffset() const
{
    return lseek(stdinFile_, 0, SEEK_CUR);
}

EngineRun RunEngine(const std::string &executable, const char *libraryPath,
                    const std::string &input, const std::vector<std::string> &arguments)
{
    EngineProcess engine(executable, libraryPath, nullptr, arguments);
    if (!input.empty()) {
        engine.Write(input);
    }
    const int status = engine.Finish();
    return {engine.Output(), engine.Errors(), status};
}
