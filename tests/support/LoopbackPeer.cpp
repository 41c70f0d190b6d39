#include "LoopbackPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kalyxtest {

LoopbackPeer::LoopbackPeer(std::function<void(int fd)> script) {
    listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener, 1);
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    thread = std::thread([this, script = std::move(script)] {
        // A test that never connects ends the wait, not the run.
        pollfd pfd{listener, POLLIN, 0};
        if (::poll(&pfd, 1, 30000) <= 0)
            return;
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            script(fd);
            ::close(fd);
        }
    });
}

LoopbackPeer::~LoopbackPeer() {
    join();
    ::close(listener);
}

void LoopbackPeer::join() {
    if (thread.joinable())
        thread.join();
}

} // namespace kalyxtest
