// POSIX sockets. The socket layer needs no start-up; signals are kept out of the caller's way
// (EINTR retried, MSG_NOSIGNAL). Every wait is a poll() bounded by the time-out, so that a send
// returns as soon as the peer took anything, a connection attempt has a time-out at all, and a
// cancel from another thread (the transport's CancelSignal, polled beside the socket) ends any
// of them at once.

#include "platform/TcpSocket.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <new>

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace Orvane {
namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// How often a send that waits for room asks how much the peer has acknowledged.
constexpr auto kAckPoll = std::chrono::milliseconds(20);

timeval toTimeval(std::uint32_t milliseconds) {
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(milliseconds / 1000);
    tv.tv_usec = static_cast<suseconds_t>((milliseconds % 1000) * 1000);
    return tv;
}

// Milliseconds left until `deadline` as poll() takes them; -1 for no deadline.
int msUntil(Clock::time_point deadline) {
    if (deadline == Clock::time_point::max())
        return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, INT_MAX));
}

Clock::time_point deadlineAfter(std::uint32_t milliseconds) {
    return milliseconds == 0 ? Clock::time_point::max()
                             : Clock::now() + std::chrono::milliseconds(milliseconds);
}

// What waitFor() returns when the cancel signal was raised.
constexpr int kWaitCancelled = -2;

// Waits for `events` until `deadline`, or until `cancel` (-1: none) turns readable: the reported
// events, 0 when the deadline passed, -1 when poll itself failed, kWaitCancelled.
int waitFor(int fd, short events, Clock::time_point deadline, int cancel = -1) {
    for (;;) {
        // poll() skips an entry whose descriptor is negative.
        pollfd pfd[2] = {{fd, events, 0}, {cancel, POLLIN, 0}};
        const int rc = ::poll(pfd, 2, msUntil(deadline));
        if (rc > 0 && pfd[1].revents != 0)
            return kWaitCancelled;
        if (rc > 0)
            return pfd[0].revents;
        if (rc == 0 && Clock::now() >= deadline)
            return 0;
        if (rc < 0 && errno != EINTR)
            return -1;
    }
}

// A failed wait as the status of its transfer.
TransferStatus waitFailure(int revents) {
    if (revents == 0)
        return TransferStatus::TimedOut;
    return revents == kWaitCancelled ? TransferStatus::Cancelled : TransferStatus::Failed;
}

TransferStatus statusOf(int error) {
    if (error == EAGAIN || error == EWOULDBLOCK)
        return TransferStatus::TimedOut; // the socket's time-out expired
    if (error == ECONNRESET || error == EPIPE || error == ENOTCONN)
        return TransferStatus::Closed;
    return TransferStatus::Failed;
}

int pendingError(int fd) {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return errno;
    return error;
}

class LinuxTcpSocket final : public TcpSocket {
public:
    explicit LinuxTcpSocket(int fd) : fd(fd) {}
    ~LinuxTcpSocket() override { abort(); }

    Transfer receive(char* buffer, std::size_t capacity) override {
        const Clock::time_point deadline = deadlineAfter(receiveTimeoutMs);
        for (;;) {
            if (cancelled())
                return {TransferStatus::Cancelled, 0};
            const ssize_t n = ::recv(fd, buffer, capacity, MSG_DONTWAIT);
            if (n > 0)
                return {TransferStatus::Done, static_cast<std::size_t>(n)};
            if (n == 0)
                return {TransferStatus::Closed, 0};
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                return {statusOf(errno), 0};
            const int revents = waitFor(fd, POLLIN, deadline, cancelFd());
            if (revents <= 0)
                return {waitFailure(revents), 0};
        }
    }

    Transfer send(const char* data, std::size_t size) override {
        // A blocking send with a time-out may sit out the whole time-out after it moved its
        // first bytes; here each call ends as soon as the peer took anything.
        Clock::time_point deadline = deadlineAfter(sendTimeoutMs);
        std::size_t queued = unacknowledged();
        for (;;) {
            if (cancelled())
                return {TransferStatus::Cancelled, 0};
            const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n >= 0)
                return {TransferStatus::Done, static_cast<std::size_t>(n)};
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                return {statusOf(errno), 0};
            // The system says "writable" only once a good part of the send buffer is free, which
            // a slow printer takes far longer than the time-out to free, though it acknowledges
            // bytes all the while: every byte it acknowledges is progress and restarts the wait.
            const int revents =
                waitFor(fd, POLLOUT, std::min(deadline, Clock::now() + kAckPoll), cancelFd());
            if (revents < 0)
                return {waitFailure(revents), 0};
            if (revents > 0)
                continue;
            const std::size_t left = unacknowledged();
            if (left < queued)
                deadline = deadlineAfter(sendTimeoutMs);
            queued = left;
            if (Clock::now() >= deadline)
                return {TransferStatus::TimedOut, 0};
        }
    }

    std::size_t unacknowledged() const override {
        int queued = 0;
        if (fd < 0 || ::ioctl(fd, SIOCOUTQ, &queued) != 0 || queued < 0)
            return 0;
        return static_cast<std::size_t>(queued);
    }

    bool setReceiveTimeout(std::uint32_t milliseconds) override {
        // Kept in the socket too, for whoever looks at its options.
        const timeval tv = toTimeval(milliseconds);
        if (::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) != 0)
            return false;
        receiveTimeoutMs = milliseconds;
        return true;
    }

    bool setSendTimeout(std::uint32_t milliseconds) override {
        const timeval tv = toTimeval(milliseconds);
        if (::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv) != 0)
            return false;
        sendTimeoutMs = milliseconds;
        return true;
    }

    TransferStatus close(std::uint32_t takeMs, std::uint32_t drainMs) override {
        if (fd < 0)
            return TransferStatus::Closed;
        if (cancelled()) {
            abort();
            return TransferStatus::Cancelled;
        }
        // shutdown fails once the peer has reset the connection.
        TransferStatus status =
            ::shutdown(fd, SHUT_WR) == 0 ? waitUntilAcknowledged(takeMs) : TransferStatus::Closed;
        if (status == TransferStatus::Done) {
            // A printer that took the bytes but drops them unread resets the connection as it
            // closes: its close is worth waiting for. One that keeps the connection open has
            // taken everything all the same.
            status = drainUntilPeerCloses(deadlineAfter(drainMs));
            if (status == TransferStatus::TimedOut)
                status = TransferStatus::Done;
        }
        // A reset that came after the peer's end of stream is only seen here.
        if (status == TransferStatus::Done && pendingError(fd) != 0)
            status = TransferStatus::Closed;
        if (status != TransferStatus::Done) {
            abort();
            return status;
        }
        // Nothing is left unsent, so lingering cannot block for its 25 minutes.
        setLinger(1500);
        release();
        return status;
    }

    void abort() override {
        // A linger of zero makes the close a reset.
        setLinger(0);
        release();
    }

    std::intptr_t nativeHandle() const override { return fd; }

private:
    void setLinger(int seconds) {
        if (fd < 0)
            return;
        const linger lingerOption{1, seconds};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &lingerOption, sizeof lingerOption);
    }

    void release() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    // Discards what the peer sends until it closes its side (Done), resets the connection
    // (Closed) or `deadline` passes (TimedOut).
    TransferStatus drainUntilPeerCloses(Clock::time_point deadline) {
        char scratch[255];
        for (;;) {
            const int revents = waitFor(fd, POLLIN, deadline, cancelFd());
            if (revents <= 0)
                return waitFailure(revents);
            const ssize_t n = ::recv(fd, scratch, sizeof scratch, MSG_DONTWAIT);
            if (n == 0)
                return TransferStatus::Done;
            if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
                return statusOf(errno);
        }
    }

    // Waits until the peer's system has acknowledged every byte we sent and our end of stream
    // (Done), giving up once nothing more was acknowledged for `takeMs` (TimedOut); Closed when
    // the peer reset the connection.
    TransferStatus waitUntilAcknowledged(std::uint32_t takeMs) {
        std::size_t left = unacknowledged();
        Clock::time_point deadline = deadlineAfter(takeMs);
        auto pause = std::chrono::milliseconds(1);
        while (left > 0) {
            if (pendingError(fd) != 0)
                return TransferStatus::Closed;
            if (Clock::now() >= deadline)
                return TransferStatus::TimedOut;
            // A pause that a cancel cuts short.
            if (waitFor(-1, 0, Clock::now() + pause, cancelFd()) == kWaitCancelled)
                return TransferStatus::Cancelled;
            pause = std::min(pause * 2, std::chrono::milliseconds(20));
            const std::size_t now = unacknowledged();
            if (now < left)
                deadline = deadlineAfter(takeMs);
            left = now;
        }
        return pendingError(fd) != 0 ? TransferStatus::Closed : TransferStatus::Done;
    }

    int cancelFd() const { return cancel ? static_cast<int>(cancel->waitHandle()) : -1; }

    int fd;
    std::uint32_t sendTimeoutMs = 0;
    std::uint32_t receiveTimeoutMs = 0;
};

// Connects the non-blocking `fd` within `timeoutMs` (0: the system's own time-out).
bool connectWithin(int fd, const sockaddr_in& peer, std::uint32_t timeoutMs) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0)
        return true;
    if (errno != EINPROGRESS && errno != EINTR)
        return false;
    // Interrupted or not, the attempt goes on in the background.
    const int revents = waitFor(fd, POLLOUT, deadlineAfter(timeoutMs));
    return revents > 0 && pendingError(fd) == 0;
}

} // namespace

SocketLayer::SocketLayer() : started(true) {}

SocketLayer::~SocketLayer() = default;

std::unique_ptr<TcpSocket> TcpSocket::connect(const std::string& address, std::uint16_t port,
                                              std::uint32_t timeoutMs) {
    const in_addr_t host = ::inet_addr(address.c_str());
    if (host == INADDR_NONE || host == 0)
        return nullptr;

    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_TCP);
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
    if (!connectWithin(fd, peer, timeoutMs))
        return nullptr;
    // Receives wait through the socket's time-out, which only a blocking socket honours.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return nullptr;

    // A request with a large payload leaves in three writes; with Nagle's algorithm the last one
    // would wait for the printer's delayed acknowledgement.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return socket;
}

} // namespace platform
} // namespace Orvane
