// WinSock 2. Time-outs are socket options given as a DWORD of milliseconds (a timeval there would
// be read as 0, which means no time-out at all).

#include "platform/TcpSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <new>

namespace Orvane {
namespace platform {
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

int clampToInt(std::size_t size) {
    return static_cast<int>(std::min<std::size_t>(size, INT_MAX));
}

class WindowsTcpSocket final : public TcpSocket {
public:
    explicit WindowsTcpSocket(SOCKET sock) : sock(sock) {}
    ~WindowsTcpSocket() override {
        if (sock != INVALID_SOCKET)
            ::closesocket(sock);
    }

    Transfer receive(char* buffer, std::size_t capacity) override {
        const int n = ::recv(sock, buffer, clampToInt(capacity), 0);
        if (n > 0)
            return {TransferStatus::Done, static_cast<std::size_t>(n)};
        if (n == 0)
            return {TransferStatus::Closed, 0};
        return {statusOf(::WSAGetLastError()), 0};
    }

    Transfer send(const char* data, std::size_t size) override {
        const int n = ::send(sock, data, clampToInt(size), 0);
        if (n >= 0)
            return {TransferStatus::Done, static_cast<std::size_t>(n)};
        return {statusOf(::WSAGetLastError()), 0};
    }

    bool setReceiveTimeout(std::uint32_t milliseconds) override {
        return setTimeout(SO_RCVTIMEO, milliseconds);
    }

    bool setSendTimeout(std::uint32_t milliseconds) override {
        return setTimeout(SO_SNDTIMEO, milliseconds);
    }

    void close(std::uint32_t drainMs) override {
        if (sock == INVALID_SOCKET)
            return;
        if (::shutdown(sock, SD_SEND) == 0 && drainUntilPeerCloses(drainMs)) {
            // Lingering only makes sense once the printer has taken everything; with bytes still
            // unsent to a printer that stopped reading, closesocket would block.
            linger lingerOption{};
            lingerOption.l_onoff = 1;
            lingerOption.l_linger = 1500;
            ::setsockopt(sock, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&lingerOption),
                         sizeof lingerOption);
        }
        // Also when shutdown failed: the socket would leak otherwise.
        ::closesocket(sock);
        sock = INVALID_SOCKET;
    }

    std::intptr_t nativeHandle() const override { return static_cast<std::intptr_t>(sock); }

private:
    bool setTimeout(int option, std::uint32_t milliseconds) {
        const DWORD value = milliseconds;
        return ::setsockopt(sock, SOL_SOCKET, option, reinterpret_cast<const char*>(&value),
                            sizeof value) == 0;
    }

    // Discards what the peer sends until it closes its side (true) or `drainMs` pass.
    bool drainUntilPeerCloses(std::uint32_t drainMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(drainMs);
        char scratch[255];
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            WSAPOLLFD pfd{};
            pfd.fd = sock;
            pfd.events = POLLRDNORM;
            const int ready = ::WSAPoll(&pfd, 1, static_cast<INT>(left.count()));
            if (ready <= 0)
                return false;
            // Readable: recv answers at once with data, 0 for the peer's close, or an error.
            const int n = ::recv(sock, scratch, sizeof scratch, 0);
            if (n == 0)
                return true;
            if (n < 0)
                return false;
        }
    }

    SOCKET sock;
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

std::unique_ptr<TcpSocket> TcpSocket::connect(const std::string& address, std::uint16_t port) {
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
    if (::connect(sock, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0)
        return nullptr;

    // A request with a large payload leaves in three writes; with Nagle's algorithm the last one
    // would wait for the printer's delayed acknowledgement.
    const BOOL on = TRUE;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return socket;
}

} // namespace platform
} // namespace Orvane
