#include "TcpListener.h"

#include "WindowsErrors.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

namespace kalyxsim {

namespace {

SOCKET socketOf(io::Handle handle) {
    return static_cast<SOCKET>(handle);
}

// Non-blocking, and not inherited by programs started later.
void makePrivateAndNonBlocking(SOCKET s) {
    u_long nonBlocking = 1;
    ::ioctlsocket(s, FIONBIO, &nonBlocking);
    ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
}

std::string lastSocketError() {
    return systemMessage(static_cast<unsigned long>(::WSAGetLastError()));
}

} // namespace

TcpListener::~TcpListener() {
    if (handle_ != io::noHandle)
        ::closesocket(socketOf(handle_));
}

bool TcpListener::open(std::uint16_t port, std::string& problem, int receiveBuffer) {
    const SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET) {
        problem = "socket: " + lastSocketError();
        return false;
    }
    handle_ = static_cast<io::Handle>(listener);
    // SO_REUSEADDR would let a second server bind the same port on Windows and take some of the
    // connections; exclusive use makes the second one fail as it does on Linux.
    const BOOL on = TRUE;
    ::setsockopt(listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on),
                 sizeof on);
    makePrivateAndNonBlocking(listener);
    // Before listen(): the window a connection offers is settled as it is made.
    if (receiveBuffer > 0)
        ::setsockopt(listener, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer),
                     sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(port);
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 128) != 0) {
        problem = "127.0.0.1:" + std::to_string(port) + ": " + lastSocketError();
        return false;
    }
    int length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ::ntohs(address.sin_port);
    return true;
}

TcpListener::Accepted TcpListener::accept(std::string& peer) {
    Accepted got;
    sockaddr_in address{};
    int length = sizeof address;
    const SOCKET s = ::accept(socketOf(handle_), reinterpret_cast<sockaddr*>(&address), &length);
    if (s == INVALID_SOCKET) {
        const int error = ::WSAGetLastError();
        got.atLimit = error == WSAEMFILE || error == WSAENOBUFS;
        return got;
    }
    makePrivateAndNonBlocking(s);
    got.handle = static_cast<io::Handle>(s);
    // Answers leave in one write, but a host that writes its request in pieces must not wait
    // for our delayed acknowledgements either.
    const BOOL on = TRUE;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    char text[INET_ADDRSTRLEN] = "?";
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    peer = std::string(text) + ":" + std::to_string(::ntohs(address.sin_port));
    return got;
}

} // namespace kalyxsim
