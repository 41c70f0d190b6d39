#include "TcpListener.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kalyxsim {

TcpListener::~TcpListener() {
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_));
    if (spare_ >= 0)
        ::close(spare_);
}

bool TcpListener::open(std::uint16_t port, std::string& problem, int receiveBuffer) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    handle_ = listener;
    if (listener < 0) {
        problem = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    // Before listen(): the window a connection offers is settled as it is made.
    if (receiveBuffer > 0)
        ::setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 128) != 0) {
        problem = "127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    spare_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    return true;
}

TcpListener::Accepted TcpListener::accept(std::string& peer) {
    const int listener = static_cast<int>(handle_);
    Accepted got;
    sockaddr_in address{};
    socklen_t length = sizeof address;
    int fd;
    do {
        fd = ::accept4(listener, reinterpret_cast<sockaddr*>(&address), &length,
                       SOCK_NONBLOCK | SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0 && (errno == EMFILE || errno == ENFILE)) {
        got.atLimit = true;
        if (spare_ >= 0) {
            ::close(spare_);
            const int shed = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (shed >= 0) {
                ::close(shed);
                got.shed = true;
            }
            spare_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        }
        return got;
    }
    if (fd < 0)
        return got;
    got.handle = fd;
    // Answers leave in one write, but a host that writes its request in pieces must not wait
    // for our delayed acknowledgements either.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    char text[INET_ADDRSTRLEN] = "?";
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    peer = std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
    return got;
}

} // namespace kalyxsim
