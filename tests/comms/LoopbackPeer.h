// A one-connection TCP peer on 127.0.0.1 that runs a script on its own thread.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

class LoopbackPeer {
public:
    explicit LoopbackPeer(std::function<void(int)> script) {
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
            const int fd = ::accept(listener, nullptr, nullptr);
            if (fd >= 0) {
                script(fd);
                ::close(fd);
            }
        });
    }
    ~LoopbackPeer() {
        join();
        ::close(listener);
    }
    void join() {
        if (thread.joinable())
            thread.join();
    }

    std::uint16_t port = 0;

    // Helpers for scripts.
    static bool sendAll(int fd, const std::string& bytes) {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }
    static bool recvAll(int fd, std::string& out, std::size_t length) {
        out.resize(length);
        std::size_t got = 0;
        while (got < length) {
            const ssize_t n = ::recv(fd, &out[got], length - got, 0);
            if (n <= 0)
                return false;
            got += static_cast<std::size_t>(n);
        }
        return true;
    }
    // Reads one request frame whose payload is empty (text, NUL, CRC).
    static std::string recvRequest(int fd) {
        std::string bytes;
        char c = 1;
        while (c != '\0') {
            if (::recv(fd, &c, 1, 0) != 1)
                return {};
            bytes.push_back(c);
        }
        std::string crc;
        if (!recvAll(fd, crc, 4))
            return {};
        return bytes + crc;
    }
    // Waits until the client closes or shuts down its side.
    static void waitForEof(int fd) {
        char scratch[4096];
        while (::recv(fd, scratch, sizeof scratch, 0) > 0) {
        }
    }

private:
    int listener = -1;
    std::thread thread;
};
