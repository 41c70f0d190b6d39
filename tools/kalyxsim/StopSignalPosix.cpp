#include "StopSignal.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/signalfd.h>
#include <unistd.h>

namespace kalyxsim {

StopSignal::~StopSignal() {
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_));
}

bool StopSignal::open(std::string& problem) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGCHLD);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    const int fd = ::signalfd(-1, &signals, SFD_CLOEXEC);
    if (fd < 0) {
        problem = std::string("signalfd: ") + std::strerror(errno);
        return false;
    }
    handle_ = fd;
    return true;
}

int StopSignal::take(std::string& name) {
    signalfd_siginfo info{};
    if (::read(static_cast<int>(handle_), &info, sizeof info) != sizeof info)
        return 0;
    const int signal = static_cast<int>(info.ssi_signo);
    name = ::strsignal(signal);
    return signal;
}

} // namespace kalyxsim
