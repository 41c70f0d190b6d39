// kalyxprn with its standard error on a pseudo-terminal (POSIX only).
#include "FileBytes.h"
#include "KalyxprnRun.h"

#include <QTemporaryFile>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace kalyxtest {

namespace {

constexpr int runLimitMs = 60000;

} // namespace

Result kalyxprnOnTerminal(const QStringList& args, QByteArray& terminal) {
    Result run;
    int master = -1, slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return run;
    QTemporaryFile out;
    out.open();
    std::vector<QByteArray> texts{QByteArray(kalyxprnPath())};
    for (const QString& a : args)
        texts.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& t : texts)
        argv.push_back(t.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out.handle(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, slave, STDERR_FILENO);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(slave);
    if (spawned != 0) {
        ::close(master);
        return run;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(runLimitMs);
    int status = 0;
    bool exited = false;
    for (;;) {
        pollfd pfd{master, POLLIN, 0};
        if (::poll(&pfd, 1, 20) > 0 && (pfd.revents & POLLIN)) {
            char buffer[4096];
            const ssize_t got = ::read(master, buffer, sizeof buffer);
            if (got > 0)
                terminal.append(buffer, int(got));
            continue;
        }
        if (exited)
            break; // drained
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            exited = true;
            continue;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            ::close(master);
            return run;
        }
    }
    ::close(master);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = QString::fromUtf8(readFile(out.fileName()));
    return run;
}

} // namespace kalyxtest
