#include "support/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testing_support {

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point end)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

ChildProcess::ChildProcess(std::vector<std::string> argv, std::vector<std::string> environment)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    env.insert(env.end(), environment.begin(), environment.end());
    std::vector<char*> args, envp;
    for (std::string& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    int fds[2];
    if (::pipe(fds) != 0)
        return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::dup2(fds[1], STDERR_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        ::execve(args[0], args.data(), envp.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    if (pid_ < 0)
        ::close(fds[0]);
    else
        out_ = fds[0];
}

ChildProcess::~ChildProcess()
{
    if (pid_ > 0 && status_ < 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0)
        ::close(out_);
}

bool ChildProcess::ReadSome(int ms)
{
    if (out_ < 0)
        return false;
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0)
        return true;
    char buffer[4096];
    const ssize_t n = ::read(out_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
        return true;
    if (n <= 0) {
        ::close(out_);
        out_ = -1;
        return false;
    }
    output_.append(buffer, static_cast<size_t>(n));
    return true;
}

bool ChildProcess::WaitForOutput(const std::string& text, size_t from, int boundMs)
{
    const auto end = Clock::now() + std::chrono::milliseconds(boundMs);
    while (output_.find(text, from) == std::string::npos) {
        if (MsLeft(end) == 0 || !ReadSome(MsLeft(end)))
            return output_.find(text, from) != std::string::npos;
    }
    return true;
}

std::string ChildProcess::ReadLine(int boundMs)
{
    if (!WaitForOutput("\n", lineStart_, boundMs))
        return {};
    const size_t end = output_.find('\n', lineStart_);
    std::string line = output_.substr(lineStart_, end - lineStart_);
    lineStart_ = end + 1;
    return line;
}

void ChildProcess::Signal(int signal)
{
    if (pid_ > 0 && status_ < 0)
        ::kill(pid_, signal);
}

int ChildProcess::Wait(int boundMs)
{
    const auto end = Clock::now() + std::chrono::milliseconds(boundMs);
    while (pid_ > 0 && status_ < 0) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (MsLeft(end) == 0)
            return -1;
        // Reading also paces the loop; at the end of output, pause briefly instead.
        if (!ReadSome(std::min(MsLeft(end), 10)))
            ::poll(nullptr, 0, 1);
    }
    // What it wrote before it ended is still in the pipe.
    for (pollfd p{out_, POLLIN, 0}; out_ >= 0 && ::poll(&p, 1, 0) > 0; p.fd = out_)
        ReadSome(0);
    return status_;
}

} // namespace testing_support
