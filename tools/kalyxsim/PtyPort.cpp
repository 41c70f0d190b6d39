#include "PtyPort.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace kalyxsim {

PtyPort::~PtyPort() {
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
}

bool PtyPort::open(std::string& problem) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        problem = std::string("pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        problem = std::string("ptsname: ") + std::strerror(errno);
        return false;
    }
    path_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios mode{};
    if (slave_ < 0 || ::tcgetattr(slave_, &mode) != 0) {
        problem = path_ + ": " + std::strerror(errno);
        return false;
    }
    // A fresh terminal is cooked: it would echo, translate line ends and eat ^C and ^D.
    ::cfmakeraw(&mode);
    if (::tcsetattr(slave_, TCSANOW, &mode) != 0) {
        problem = path_ + ": " + std::strerror(errno);
        return false;
    }
    const int flags = ::fcntl(master_, F_GETFL);
    ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    return true;
}

int PtyPort::releaseMaster() {
    const int fd = master_;
    master_ = -1;
    return fd;
}

} // namespace kalyxsim
