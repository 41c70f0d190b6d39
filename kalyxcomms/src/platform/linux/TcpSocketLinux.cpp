// POSIX sockets. The socket layer needs no start-up; signals are kept out of the caller's way
// (EINTR retried, MSG_NOSIGNAL) and time-outs are socket options given as a timeval.

#include "platform/TcpSocket.h"

#include <cerrno>
#include <chrono>
#include <new>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace Orvane {
namespace platform {
namespace {

timeval toTimeval(std::uint32_t milliseconds) {
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(milliseconds / 1000);
    tv.tv_usec = static_cast<suseconds_t>((milliseconds % 1000) * 1000);
    return tv;
}

// connect() interrupted by a signal goes on in the background: wait for its outcome.
bool finishInterruptedConnect(int sock) {
    pollfd pfd{sock, POLLOUT, 0};
    int rc;
    do {
        rc = ::poll(&pfd, 1, -1);
    } while (rc < 0 && errno == EINTR);
    if (rc <= 0)
        return false;
    int error = 0;
    socklen_t length = sizeof error;
    return ::getsockopt(sock, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

TransferStatus statusOf(int error) {
    if (error == EAGAIN || error == EWOULDBLOCK)
        return TransferStatus::TimedOut; // the socket's time-out expired
    if (error == ECONNRESET || error == EPIPE || error == ENOTCONN)
        return TransferStatus::Closed;
    return TransferStatus::Failed;
}

class LinuxTcpSocket final : public TcpSocket {
public:
    explicit LinuxTcpSocket(int fd) : fd(fd) {}
    ~LinuxTcpSocket() override {
        if (fd >= 0)
            ::close(fd);
    }

    Transfer receive(char* buffer, std::size_t capacity) override {
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, capacity, 0);
            if (n > 0)
                return {TransferStatus::Done, static_cast<std::size_t>(n)};
            if (n == 0)
                return {TransferStatus::Closed, 0};
            if (errno != EINTR)
                return {statusOf(errno), 0};
        }
    }

    Transfer send(const char* data, std::size_t size) override {
        for (;;) {
            const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
            if (n >= 0)
                return {TransferStatus::Done, static_cast<std::size_t>(n)};
            if (errno != EINTR)
                return {statusOf(errno), 0};
        }
    }

    bool setReceiveTimeout(std::uint32_t milliseconds) override {
        const timeval tv = toTimeval(milliseconds);
        return ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) == 0;
    }

    bool setSendTimeout(std::uint32_t milliseconds) override {
        const timeval tv = toTimeval(milliseconds);
        return ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv) == 0;
    }

    void close(std::uint32_t drainMs) override {
        if (fd < 0)
            return;
        if (::shutdown(fd, SHUT_WR) == 0 && drainUntilPeerCloses(drainMs)) {
            // Lingering only makes sense once the printer has taken everything; with bytes still
            // unsent to a printer that stopped reading, close() would block for 25 minutes.
            const linger lingerOption{1, 1500};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &lingerOption, sizeof lingerOption);
        }
        ::close(fd);
        fd = -1;
    }

    std::intptr_t nativeHandle() const override { return fd; }

private:
    // Discards what the peer sends until it closes its side (true) or `drainMs` pass.
    bool drainUntilPeerCloses(std::uint32_t drainMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(drainMs);
        char scratch[255];
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            pollfd pfd{fd, POLLIN, 0};
            const int ready = ::poll(&pfd, 1, static_cast<int>(left.count()));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                return false;
            const ssize_t n = ::recv(fd, scratch, sizeof scratch, MSG_DONTWAIT);
            if (n == 0)
                return true;
            if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
                return false;
        }
    }

    int fd;
};

} // namespace

SocketLayer::SocketLayer() : started(true) {}

SocketLayer::~SocketLayer() = default;

std::unique_ptr<TcpSocket> TcpSocket::connect(const std::string& address, std::uint16_t port) {
    const in_addr_t host = ::inet_addr(address.c_str());
    if (host == INADDR_NONE || host == 0)
        return nullptr;

    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0)
        return nullptr;
    // From here on the descriptor is closed on every failure.
    std::unique_ptr<LinuxTcpSocket> socket(new (std::nothrow) LinuxTcpSocket(fd));
    if (!socket) {
        ::close(fd);
        return nullptr;
    }

    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = host;
    const int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
    if (rc != 0 && !(errno == EINTR && finishInterruptedConnect(fd)))
        return nullptr;

    // A request with a large payload leaves in three writes; with Nagle's algorithm the last one
    // would wait for the printer's delayed acknowledgement.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return socket;
}

} // namespace platform
} // namespace Orvane
