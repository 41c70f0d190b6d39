#include "HostSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

bool networkReady() {
    return true;
}

bool stderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

namespace {

// Reads `fd` to its end, waiting at most `idleMs` for each piece (-1: as long as it takes).
bool readAll(int fd, std::size_t limit, int idleMs, std::string& bytes, std::string& problem) {
    bytes.clear();
    char buffer[64 * 1024];
    for (;;) {
        if (idleMs >= 0) {
            pollfd p{fd, POLLIN, 0};
            int ready;
            do {
                ready = ::poll(&p, 1, idleMs);
            } while (ready < 0 && errno == EINTR);
            if (ready == 0) {
                problem = "nothing arrived for " + std::to_string(idleMs / 1000) + " s";
                return false;
            }
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n < 0) {
            problem = std::strerror(errno);
            return false;
        }
        if (n == 0)
            return true;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > limit)
            return true; // the caller judges the size
    }
}

} // namespace

InputRead readInput(const std::string& path, std::size_t limit, int idleMs, std::string& bytes,
                    std::string& problem) {
    if (path == "-")
        return readAll(STDIN_FILENO, limit, -1, bytes, problem) ? InputRead::Read
                                                                : InputRead::Failed;
    // Without O_NONBLOCK, opening a pipe waits until someone opens it for writing.
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return InputRead::NotAFile;
    struct stat st;
    InputRead result = InputRead::NotAFile;
    if (::fstat(fd, &st) == 0) {
        const bool stream = S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || S_ISCHR(st.st_mode);
        if (S_ISREG(st.st_mode) || stream)
            result = readAll(fd, limit, stream ? idleMs : -1, bytes, problem) ? InputRead::Read
                                                                              : InputRead::Failed;
    }
    ::close(fd);
    return result;
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
