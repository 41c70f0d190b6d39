// The shared support's byte moving (FdIo.h) on WinSock: the "descriptor" is a socket, which
// WinSock numbers small enough for an int. Reads wait with select(), bounded as on Linux.
#include "FdIo.h"

#include <winsock2.h>

#include <chrono>

namespace kalyxtest {

namespace {

using Clock = std::chrono::steady_clock;

SOCKET asSocket(int fd) {
    return static_cast<SOCKET>(fd);
}

// Waits up to `timeoutMs` for something to read (data or the peer's close).
bool readable(int fd, int timeoutMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(asSocket(fd), &set);
    timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return ::select(0, &set, nullptr, nullptr, &wait) > 0;
}

int msLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const int n =
            ::send(asSocket(fd), bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool readExact(int fd, void* data, std::size_t size, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    auto* bytes = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const int left = msLeft(deadline);
        if (left == 0 || !readable(fd, left))
            return false;
        const int n = ::recv(asSocket(fd), bytes + done, static_cast<int>(size - done), 0);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string drain(int fd, int quietMs) {
    std::string bytes;
    char buffer[65536];
    while (readable(fd, quietMs)) {
        const int n = ::recv(asSocket(fd), buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

void waitForEof(int fd, int timeoutMs) {
    char scratch[4096];
    while (readable(fd, timeoutMs) && ::recv(asSocket(fd), scratch, sizeof scratch, 0) > 0) {
    }
}

} // namespace kalyxtest
