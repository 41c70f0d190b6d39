// WinSock 2. Time-outs are socket options given as a DWORD of milliseconds (a timeval there would
// be read as 0, which means no time-out at all). A blocking call cannot watch a second handle, so
// receives and sends first wait for the socket in short steps, each of which looks whether the
// transport was cancelled; the call itself then finds its data or room at once.

#include "platform/TcpSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <new>

namespace Orvane {
namespace platform {

// The most one send hands to the system (see send()).
constexpr std::size_t kSendPiece = 16 * 1024;

namespace {

// One reference to WinSock: started by the constructor, released by the destructor when the
// start succeeded. WinSock counts them, and cleaning up the last one invalidates every socket.
class WinSockReference {
public:
    WinSockReference() {
        WSADATA data;
        started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinSockReference() {
        if (started)
            ::WSACleanup();
    }
    WinSockReference(const WinSockReference&) = delete;
    WinSockReference& operator=(const WinSockReference&) = delete;

    bool ready() const { return started; }

private:
    bool started = false;
};

TransferStatus statusOf(int error) {
    switch (error) {
    case WSAETIMEDOUT:
        return TransferStatus::TimedOut; // the socket's time-out expired
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAENOTCONN:
    case WSAESHUTDOWN:
    case WSAENETRESET:
        return TransferStatus::Closed;
    default:
        return TransferStatus::Failed;
    }
}

// Connects `sock` within `timeoutMs` (0: the system's own time-out) and leaves it blocking, so
// that its send and receive time-outs apply.
bool connectWithin(SOCKET sock, const sockaddr_in& peer, std::uint32_t timeoutMs) {
    u_long nonBlocking = 1;
    if (::ioctlsocket(sock, FIONBIO, &nonBlocking) != 0)
        return false;
    bool connected = ::connect(sock, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0;
    if (!connected && ::WSAGetLastError() == WSAEWOULDBLOCK) {
        // A failed attempt shows in the exception set, a made one in the write set.
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(sock, &writable);
        FD_SET(sock, &failed);
        timeval limit{static_cast<long>(timeoutMs / 1000),
                      static_cast<long>((timeoutMs % 1000) * 1000)};
        const int ready = ::select(0, nullptr, &writable, &failed, timeoutMs ? &limit : nullptr);
        int error = 0;
        int length = sizeof error;
        connected = ready > 0 && FD_ISSET(sock, &writable) &&
                    ::getsockopt(sock, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                                 &length) == 0 &&
                    error == 0;
    }
    u_long blocking = 0;
    return connected && ::ioctlsocket(sock, FIONBIO, &blocking) == 0;
}

int clampToInt(std::size_t size) {
    return static_cast<int>(std::min<std::size_t>(size, INT_MAX));
}

using Clock = std::chrono::steady_clock;

// The longest step of a wait: how late a cancel may be seen.
constexpr auto kCancelStep = std::chrono::milliseconds(50);

Clock::time_point deadlineAfter(std::uint32_t milliseconds) {
    return milliseconds == 0 ? Clock::time_point::max()
                             : Clock::now() + std::chrono::milliseconds(milliseconds);
}

class WindowsTcpSocket final : public TcpSocket {
public:
    explicit WindowsTcpSocket(SOCKET sock) : sock(sock) {}
    ~WindowsTcpSocket() override { abort(); }

    Transfer receive(char* buffer, std::size_t capacity) override {
        const TransferStatus ready = waitUntil(POLLRDNORM, deadlineAfter(receiveTimeoutMs));
        if (ready != TransferStatus::Done)
            return {ready, 0};
        const int n = ::recv(sock, buffer, clampToInt(capacity), 0);
        if (n > 0)
            return {TransferStatus::Done, static_cast<std::size_t>(n)};
        if (n == 0)
            return {TransferStatus::Closed, 0};
        return {statusOf(::WSAGetLastError()), 0};
    }

    Transfer send(const char* data, std::size_t size) override {
        // A blocking send returns only once all it was given is in the send buffer, and the
        // time-out covers the whole call: a slow printer that acknowledges bytes all the while
        // would still run out of it on a large piece. A small piece fits as soon as the printer
        // has acknowledged that much, so each call measures progress by acknowledged bytes.
        const TransferStatus ready = waitUntil(POLLWRNORM, deadlineAfter(sendTimeoutMs));
        if (ready != TransferStatus::Done)
            return {ready, 0};
        const int n = ::send(sock, data, clampToInt(std::min(size, kSendPiece)), 0);
        if (n >= 0)
            return {TransferStatus::Done, static_cast<std::size_t>(n)};
        return {statusOf(::WSAGetLastError()), 0};
    }

    bool setReceiveTimeout(std::uint32_t milliseconds) override {
        if (!setTimeout(SO_RCVTIMEO, milliseconds))
            return false;
        receiveTimeoutMs = milliseconds;
        return true;
    }

    bool setSendTimeout(std::uint32_t milliseconds) override {
        if (!setTimeout(SO_SNDTIMEO, milliseconds))
            return false;
        sendTimeoutMs = milliseconds;
        return true;
    }

    // WinSock has no portable count of the bytes a peer has not acknowledged.
    std::size_t unacknowledged() const override { return 0; }

    TransferStatus close(std::uint32_t /*takeMs*/, std::uint32_t drainMs) override {
        if (sock == INVALID_SOCKET)
            return TransferStatus::Closed;
        if (cancelled()) {
            abort();
            return TransferStatus::Cancelled;
        }
        // shutdown fails once the peer has reset the connection. Without a count of the bytes
        // still unacknowledged, the peer's close (or its reset) is all there is to wait for; a
        // peer that keeps the connection open is taken to have what it was sent.
        TransferStatus status =
            ::shutdown(sock, SD_SEND) == 0 ? drainUntilPeerCloses(drainMs) : TransferStatus::Closed;
        if (status == TransferStatus::TimedOut)
            status = TransferStatus::Done;
        if (status != TransferStatus::Done) {
            abort();
            return status;
        }
        // Lingering only makes sense once the printer has taken everything; with bytes still
        // unsent to a printer that stopped reading, closesocket would block.
        setLinger(1500);
        release();
        return status;
    }

    void abort() override {
        // A linger of zero makes the close a reset.
        setLinger(0);
        release();
    }

    std::intptr_t nativeHandle() const override { return static_cast<std::intptr_t>(sock); }

private:
    void setLinger(u_short seconds) {
        if (sock == INVALID_SOCKET)
            return;
        linger lingerOption{};
        lingerOption.l_onoff = 1;
        lingerOption.l_linger = seconds;
        ::setsockopt(sock, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&lingerOption),
                     sizeof lingerOption);
    }

    void release() {
        if (sock != INVALID_SOCKET)
            ::closesocket(sock);
        sock = INVALID_SOCKET;
    }

    bool setTimeout(int option, std::uint32_t milliseconds) {
        const DWORD value = milliseconds;
        return ::setsockopt(sock, SOL_SOCKET, option, reinterpret_cast<const char*>(&value),
                            sizeof value) == 0;
    }

    // Waits until the socket reports `events` (Done), in steps of at most kCancelStep:
    // TimedOut at `deadline`, Cancelled once the transport is, Failed when polling fails.
    TransferStatus waitUntil(SHORT events, Clock::time_point deadline) {
        for (;;) {
            if (cancelled())
                return TransferStatus::Cancelled;
            const auto now = Clock::now();
            if (now >= deadline)
                return TransferStatus::TimedOut;
            const auto step = std::chrono::ceil<std::chrono::milliseconds>(
                std::min<Clock::duration>(deadline - now, kCancelStep));
            WSAPOLLFD pfd{};
            pfd.fd = sock;
            pfd.events = events;
            const int ready = ::WSAPoll(&pfd, 1, static_cast<INT>(step.count()));
            if (ready > 0)
                return TransferStatus::Done; // also for an error or a close, which the call reports
            if (ready < 0)
                return TransferStatus::Failed;
        }
    }

    // Discards what the peer sends until it closes its side (Done), resets the connection
    // (Closed) or `drainMs` pass (TimedOut).
    TransferStatus drainUntilPeerCloses(std::uint32_t drainMs) {
        const auto deadline = deadlineAfter(drainMs == 0 ? 1 : drainMs);
        char scratch[255];
        for (;;) {
            const TransferStatus ready = waitUntil(POLLRDNORM, deadline);
            if (ready != TransferStatus::Done)
                return ready;
            // Readable: recv answers at once with data, 0 for the peer's close, or an error.
            const int n = ::recv(sock, scratch, sizeof scratch, 0);
            if (n == 0)
                return TransferStatus::Done;
            if (n < 0)
                return statusOf(::WSAGetLastError());
        }
    }

    SOCKET sock;
    std::uint32_t receiveTimeoutMs = 0;
    std::uint32_t sendTimeoutMs = 0;
    // Keeps WinSock started while the socket lives, so a printer may outlive its Comms.
    WinSockReference winsock;
};

} // namespace

SocketLayer::SocketLayer() {
    WSADATA data;
    started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

SocketLayer::~SocketLayer() {
    if (started)
        ::WSACleanup();
}

std::unique_ptr<TcpSocket> TcpSocket::connect(const std::string& address, std::uint16_t port,
                                              std::uint32_t timeoutMs) {
    // WinSock must be started before inet_addr too.
    WinSockReference check;
    if (!check.ready())
        return nullptr;
    const unsigned long host = ::inet_addr(address.c_str());
    if (host == INADDR_NONE || host == 0)
        return nullptr;

    const SOCKET sock = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (sock == INVALID_SOCKET)
        return nullptr;
    // Child processes of the caller do not inherit the connection.
    ::SetHandleInformation(reinterpret_cast<HANDLE>(sock), HANDLE_FLAG_INHERIT, 0);
    // From here on the socket is closed on every failure.
    std::unique_ptr<WindowsTcpSocket> socket(new (std::nothrow) WindowsTcpSocket(sock));
    if (!socket) {
        ::closesocket(sock);
        return nullptr;
    }

    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = ::htons(port);
    peer.sin_addr.s_addr = host;
    if (!connectWithin(sock, peer, timeoutMs))
        return nullptr;

    // A request with a large payload leaves in three writes; with Nagle's algorithm the last one
    // would wait for the printer's delayed acknowledgement.
    const BOOL on = TRUE;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return socket;
}

} // namespace platform
} // namespace Orvane
