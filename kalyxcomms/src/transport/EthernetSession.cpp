#include "EthernetSession.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace Orvane {

namespace {

constexpr std::size_t kReadAheadSize = 64 * 1024;
// The close sequence waits for the printer's own close at most this long when no receive
// time-out was ever set (a socket without one would wait forever).
constexpr std::uint32_t kDefaultDrainMs = 7000;

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

} // namespace

EthernetSession::EthernetSession(const std::string& address, Port port) {
    const in_addr_t host = ::inet_addr(address.c_str());
    if (host == INADDR_NONE || host == 0)
        return;

    sock = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (sock < 0) {
        sock = -1;
        return;
    }

    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(static_cast<std::uint32_t>(port) & 0xFFFFu));
    peer.sin_addr.s_addr = host;
    int rc = ::connect(sock, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
    if (rc != 0 && !(errno == EINTR && finishInterruptedConnect(sock))) {
        ::close(sock);
        sock = -1;
        return;
    }

    // A request with a large payload leaves in three writes; with Nagle's algorithm the last one
    // would wait for the printer's delayed acknowledgement.
    const int on = 1;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    readBuffer = std::make_unique<char[]>(kReadAheadSize);
    open = true;
}

EthernetSession::~EthernetSession() {
    if (open)
        closeConnection();
}

void EthernetSession::closeConnection() {
    if (sock < 0)
        return;
    // Even when shutdown fails the descriptor is closed, or it would leak.
    if (::shutdown(sock, SHUT_WR) == 0) {
        // Wait for the printer to close its side, bounded by the receive time-out.
        const auto budget =
            std::chrono::milliseconds(readTimeoutMs ? readTimeoutMs : kDefaultDrainMs);
        const auto deadline = std::chrono::steady_clock::now() + budget;
        bool peerClosed = false;
        char scratch[255];
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd pfd{sock, POLLIN, 0};
            const int ready = ::poll(&pfd, 1, static_cast<int>(left.count()));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                break;
            const ssize_t n = ::recv(sock, scratch, sizeof scratch, MSG_DONTWAIT);
            if (n == 0) {
                peerClosed = true;
                break;
            }
            if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
                break;
        }
        // Lingering only makes sense once the printer has taken everything; with bytes still
        // unsent to a printer that stopped reading, close() would block for 25 minutes.
        if (peerClosed) {
            const linger lingerOption{1, 1500};
            ::setsockopt(sock, SOL_SOCKET, SO_LINGER, &lingerOption, sizeof lingerOption);
        }
    }
    ::close(sock);
    sock = -1;
}

bool EthernetSession::receiveSome(char* buffer, std::size_t capacity, std::size_t& received) {
    for (;;) {
        const ssize_t n = ::recv(sock, buffer, capacity, 0);
        if (n > 0) {
            received = static_cast<std::size_t>(n);
            return true;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return false; // 0: the printer closed; EAGAIN: the receive time-out expired
    }
}

bool EthernetSession::read(char* buffer, int length) {
    if (!open || length < 0 || (!buffer && length > 0))
        return false;
    std::size_t wanted = static_cast<std::size_t>(length);
    while (wanted > 0) {
        const std::size_t buffered = readEnd - readPos;
        if (buffered > 0) {
            const std::size_t n = buffered < wanted ? buffered : wanted;
            std::memcpy(buffer, readBuffer.get() + readPos, n);
            readPos += n;
            buffer += n;
            wanted -= n;
            continue;
        }
        std::size_t received = 0;
        if (wanted >= kReadAheadSize) {
            // Large reads go straight into the caller's buffer.
            if (!receiveSome(buffer, wanted, received))
                return false;
            buffer += received;
            wanted -= received;
        } else {
            if (!receiveSome(readBuffer.get(), kReadAheadSize, received))
                return false;
            readPos = 0;
            readEnd = received;
        }
    }
    return true;
}

bool EthernetSession::write(const char* data, int length) {
    if (!open || length < 0 || (!data && length > 0))
        return false;
    std::size_t left = static_cast<std::size_t>(length);
    while (left > 0) {
        // A printer that closed the connection must not raise SIGPIPE in the caller's process.
        const ssize_t n = ::send(sock, data, left, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool EthernetSession::setReadTimeout(std::uint32_t milliseconds) {
    if (readTimeoutSet && milliseconds == readTimeoutMs)
        return true;
    const timeval tv = toTimeval(milliseconds);
    if (::setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) != 0)
        return false;
    readTimeoutMs = milliseconds;
    readTimeoutSet = true;
    return true;
}

bool EthernetSession::setWriteTimeout(std::uint32_t milliseconds) {
    if (writeTimeoutSet && milliseconds == writeTimeoutMs)
        return true;
    const timeval tv = toTimeval(milliseconds);
    if (::setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv) != 0)
        return false;
    writeTimeoutMs = milliseconds;
    writeTimeoutSet = true;
    return true;
}

} // namespace Orvane
