#include "RawClient.h"

#include <prnformat/Crc32.h>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace simtest {

Bytes frameRequest(const std::string& body, const Bytes& payload) {
    const std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><prn>" + body +
                             "<binary-size>" + std::to_string(payload.size()) +
                             "</binary-size><time>" + std::to_string(std::time(nullptr)) +
                             "</time></prn>";
    Bytes bytes(text.begin(), text.end());
    bytes.push_back(0);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    unsigned char crc[4];
    Orvane::storeCrcLe(Orvane::crc32(bytes.data(), bytes.size()), crc);
    bytes.insert(bytes.end(), crc, crc + 4);
    return bytes;
}

RawClient::~RawClient() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool RawClient::connect(std::uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

bool RawClient::send(const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = socket_
                              ? ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL)
                              : ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool RawClient::readExact(unsigned char* data, std::size_t size, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t done = 0;
    while (done < size) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd pfd{fd_, POLLIN, 0};
        if (left <= 0 || ::poll(&pfd, 1, static_cast<int>(left)) <= 0)
            return false;
        const ssize_t n = ::read(fd_, data + done, size - done);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool RawClient::receive(Answer& answer, int timeoutMs) {
    answer = Answer();
    unsigned char c = 0;
    while (readExact(&c, 1, timeoutMs) && c != '<')
        ++answer.stray;
    if (c != '<')
        return false;
    Orvane::Crc32 crc;
    do {
        answer.text += static_cast<char>(c);
        if (!readExact(&c, 1, timeoutMs))
            return false;
    } while (c != 0);
    crc.update(answer.text.data(), answer.text.size());
    crc.update(&c, 1);
    answer.parsed =
        static_cast<bool>(answer.document->load_buffer(answer.text.data(), answer.text.size()));
    const std::uint64_t size = answer.prn().child("binary-size").text().as_ullong();
    if (size > (256u << 20))
        return false;
    answer.payload.resize(size);
    unsigned char tail[4];
    if (!readExact(answer.payload.data(), answer.payload.size(), timeoutMs) ||
        !readExact(tail, 4, timeoutMs))
        return false;
    crc.update(answer.payload.data(), answer.payload.size());
    answer.crcComputed = crc.value();
    answer.crcOnWire = Orvane::loadCrcLe(tail);
    return true;
}

Bytes RawClient::drain(int quietMs) {
    Bytes bytes;
    unsigned char buffer[65536];
    for (;;) {
        pollfd pfd{fd_, POLLIN, 0};
        if (::poll(&pfd, 1, quietMs) <= 0)
            return bytes;
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0)
            return bytes;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
}

void RawClient::shutdownWrite() {
    ::shutdown(fd_, SHUT_WR);
}

bool RawClient::closedByPeer(int timeoutMs) {
    pollfd pfd{fd_, POLLIN, 0};
    if (::poll(&pfd, 1, timeoutMs) <= 0)
        return false;
    unsigned char c;
    const ssize_t n = ::recv(fd_, &c, 1, MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno == ECONNRESET);
}

} // namespace simtest
