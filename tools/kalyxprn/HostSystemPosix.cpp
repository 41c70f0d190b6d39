#include "HostSystem.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

bool toDottedIPv4(const std::string& name, std::string& dotted) {
    in_addr parsed{};
    if (::inet_pton(AF_INET, name.c_str(), &parsed) == 1) {
        dotted = name;
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found)
        return false;
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    ::freeaddrinfo(found);
    dotted = text;
    return true;
}

bool stderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

namespace {

std::string openProblem(int error) {
    switch (error) {
    case ENOENT:
        return "no such device (unplugged, or the program serving it has ended)";
    case EACCES:
    case EPERM:
        return "no permission (see the lp group)";
    case EBUSY:
        return "busy: another program is using it";
    case ENODEV:
    case ENXIO:
        return "the device is gone (unplugged)";
    case EIO:
        return "the device does not respond: its other end is gone";
    default:
        return std::strerror(error);
    }
}

} // namespace

std::string deviceProblem(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return openProblem(errno);
    if (!S_ISCHR(st.st_mode))
        return "not a printer device";
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return openProblem(errno);
    std::string problem = "cannot be used";
    // Every program of ours holds a lock on the printer while it uses it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        problem = openProblem(errno == EWOULDBLOCK ? EBUSY : errno);
    else {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 0) == 1 && (p.revents & POLLHUP))
            problem = openProblem(EIO);
    }
    ::close(fd);
    return problem;
}

} // namespace cli
