#include "SimProcess.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kalyxtest {

namespace {

std::string tempBase() {
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

pid_t spawn(const std::vector<std::string>& arguments, int stdoutFd, int stderrFd) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(simulatorPath()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, stderrFd, STDERR_FILENO);
    pid_t pid = -1;
    if (posix_spawn(&pid, simulatorPath(), &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Reads one line from `fd` within the deadline; false on time-out or end of stream.
bool readLine(int fd, std::string& line, std::chrono::steady_clock::time_point deadline) {
    line.clear();
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd pfd{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&pfd, 1, static_cast<int>(left)) <= 0)
            return false;
        char c;
        if (::read(fd, &c, 1) != 1)
            return false;
        if (c == '\n')
            return true;
        line += c;
    }
}

int waitExit(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

const char* simulatorPath() {
    return KALYXSIM_PATH;
}

SimProcess::SimProcess(const std::vector<std::string>& options) {
    char logName[] = "/kalyxsim-log-XXXXXX";
    std::string pattern = tempBase() + logName;
    const int logFd = ::mkstemp(pattern.data());
    logPath_ = pattern;
    int out[2];
    if (logFd < 0 || ::pipe2(out, O_CLOEXEC) != 0)
        return;
    std::vector<std::string> arguments{"--port", "0"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    pid_ = spawn(arguments, out[1], logFd);
    ::close(out[1]);
    ::close(logFd);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::string line;
    while (pid_ > 0 && readLine(out[0], line, deadline)) {
        if (line.rfind("listening on 127.0.0.1:", 0) == 0)
            port_ = static_cast<std::uint16_t>(std::atoi(line.c_str() + 23));
        if (line.rfind("pty ", 0) == 0)
            ptyPath_ = line.substr(4);
        const bool wantsPty = std::find(options.begin(), options.end(), "--pty") != options.end();
        if (port_ && (!wantsPty || !ptyPath_.empty()))
            break;
    }
    ::close(out[0]);
}

SimProcess::~SimProcess() {
    stop();
    if (!logPath_.empty())
        ::unlink(logPath_.c_str());
}

int SimProcess::stop(int signal) {
    if (pid_ <= 0)
        return -1;
    ::kill(pid_, signal);
    const int code = waitExit(pid_, std::chrono::seconds(5));
    pid_ = -1;
    return code;
}

std::string SimProcess::log() const {
    std::ifstream in(logPath_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int runSimulator(const std::vector<std::string>& options, std::string& output) {
    std::string pattern = tempBase() + "/kalyxsim-out-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return -1;
    const pid_t pid = spawn(options, fd, fd);
    ::close(fd);
    const int code = pid > 0 ? waitExit(pid, std::chrono::seconds(5)) : -1;
    std::ifstream in(pattern);
    std::stringstream text;
    text << in.rdbuf();
    output = text.str();
    ::unlink(pattern.c_str());
    return code;
}

} // namespace kalyxtest
