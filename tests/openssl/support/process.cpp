#include "tests/openssl/support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

Process::Process(const std::vector<std::string>& arguments, const std::string& outputPath,
                 bool pipeInput)
{
    int input[2] = {-1, -1};
    if (pipeInput && pipe2(input, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (pipeInput)
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);

    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int result = posix_spawnp(&_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);

    if (pipeInput) close(input[0]);
    _input = input[1];
    if (result != 0)
    {
        closeInput();
        throw std::runtime_error("cannot start " + arguments.front());
    }
}

Process::~Process()
{
    closeInput();
    if (_pid <= 0) return;
    kill(_pid, SIGKILL);
    waitpid(_pid, nullptr, 0);
}

bool Process::send(const std::string& octets)
{
    return _input >= 0 && write(_input, octets.data(), octets.size()) == ssize_t(octets.size());
}

void Process::closeInput()
{
    if (_input >= 0) close(_input);
    _input = -1;
}

int Process::wait(std::chrono::milliseconds limit)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(_pid, &status, WNOHANG) == 0)
    {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("the child did not end");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    _pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int runShell(const std::string& command, std::string* output)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
    std::string text;
    char buffer[4096];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, count);
    int status = pclose(pipe);
    if (output != nullptr) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
