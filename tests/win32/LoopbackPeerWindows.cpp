// The shared support's one-connection peer (LoopbackPeer.h) on WinSock.
#include "LoopbackPeer.h"

#include <winsock2.h>

namespace kalyxtest {

namespace {

// Each peer holds WinSock for its own lifetime, so a test needs no start-up of its own.
bool startWinsock() {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

} // namespace

LoopbackPeer::LoopbackPeer(std::function<void(int fd)> script) {
    if (!startWinsock())
        return;
    const SOCKET sock = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    listener = sock == INVALID_SOCKET ? -1 : static_cast<int>(sock);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (listener < 0 || ::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(sock, 1) != 0 ||
        ::getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    port = ntohs(address.sin_port);
    thread = std::thread([sock, script = std::move(script)] {
        // A test that never connects ends the wait, not the run.
        fd_set set;
        FD_ZERO(&set);
        FD_SET(sock, &set);
        timeval wait{30, 0};
        if (::select(0, &set, nullptr, nullptr, &wait) <= 0)
            return;
        const SOCKET peer = ::accept(sock, nullptr, nullptr);
        if (peer != INVALID_SOCKET) {
            script(static_cast<int>(peer));
            ::closesocket(peer);
        }
    });
}

LoopbackPeer::~LoopbackPeer() {
    join();
    if (listener >= 0)
        ::closesocket(static_cast<SOCKET>(listener));
    ::WSACleanup();
}

void LoopbackPeer::join() {
    if (thread.joinable())
        thread.join();
}

} // namespace kalyxtest
