#include "FdIo.h"

#include <cerrno>
#include <chrono>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kalyxtest {

namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// A socket is written with send() so that a closed peer fails the write instead of raising
// SIGPIPE; anything else with write().
ssize_t writeSome(int fd, const char* data, std::size_t size) {
    const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n < 0 && errno == ENOTSOCK)
        return ::write(fd, data, size);
    return n;
}

} // namespace

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = writeSome(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
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
        pollfd pfd{fd, POLLIN, 0};
        const int left = msLeft(deadline);
        if (left == 0 || ::poll(&pfd, 1, left) <= 0)
            return false;
        const ssize_t n = ::read(fd, bytes + done, size - done);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string drain(int fd, int quietMs) {
    std::string bytes;
    char buffer[65536];
    for (;;) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, quietMs) <= 0)
            return bytes;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

void waitForEof(int fd, int timeoutMs) {
    char scratch[4096];
    for (;;) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, timeoutMs) <= 0 || ::read(fd, scratch, sizeof scratch) <= 0)
            return;
    }
}

} // namespace kalyxtest
