#include "RawClient.h"

#include "FdIo.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kalyxtest {

RawClient::~RawClient() {
    if (fd >= 0)
        ::close(fd);
}

bool RawClient::connect(std::uint16_t port) {
    fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

bool RawClient::send(const std::string& bytes) {
    return writeAll(fd, bytes);
}

bool RawClient::receive(Frame& answer, int timeoutMs) {
    return readFrame(fd, answer, timeoutMs);
}

std::string RawClient::drain(int quietMs) {
    return kalyxtest::drain(fd, quietMs);
}

void RawClient::shutdownWrite() {
    ::shutdown(fd, SHUT_WR);
}

bool RawClient::closedByPeer(int timeoutMs) {
    pollfd pfd{fd, POLLIN, 0};
    if (::poll(&pfd, 1, timeoutMs) <= 0)
        return false;
    unsigned char c;
    const ssize_t n = ::recv(fd, &c, 1, MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno == ECONNRESET);
}

} // namespace kalyxtest
