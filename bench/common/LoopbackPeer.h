// A printer stand-in on 127.0.0.1 for the benchmarks, and the raw socket calls of their floors,
// the same on Linux and on Windows (WinSock): only the socket type and a few names differ.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace benchpeer {

#ifdef _WIN32
using RawSocket = SOCKET;
using PollEntry = WSAPOLLFD;
constexpr RawSocket noSocket = INVALID_SOCKET;
constexpr int sendFlags = 0;
inline void closeRaw(RawSocket s) {
    ::closesocket(s);
}
inline int pollAll(std::vector<PollEntry>& entries, int timeoutMs) {
    return ::WSAPoll(entries.data(), static_cast<ULONG>(entries.size()), timeoutMs);
}
#else
using RawSocket = int;
using PollEntry = pollfd;
constexpr RawSocket noSocket = -1;
constexpr int sendFlags = MSG_NOSIGNAL;
inline void closeRaw(RawSocket s) {
    ::close(s);
}
inline int pollAll(std::vector<PollEntry>& entries, int timeoutMs) {
    return ::poll(entries.data(), entries.size(), timeoutMs);
}
#endif

inline bool sendAll(RawSocket s, const char* data, std::size_t size) {
    while (size > 0) {
        const auto n =
            ::send(s, data, static_cast<int>(std::min<std::size_t>(size, 1 << 30)), sendFlags);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

inline bool recvAll(RawSocket s, char* data, std::size_t size) {
    while (size > 0) {
        const auto n = ::recv(s, data, static_cast<int>(std::min<std::size_t>(size, 1 << 30)), 0);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

inline void noDelay(RawSocket s) {
    const int on = 1;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

// Answers every request (text, 0x00, no payload, CRC) with the same bytes until the client
// closes. The first request is kept so the raw floor can send exactly the same bytes. One thread
// serves every connection, so the library and the raw floor meet the same peer, woken the same
// way (two peer threads get placed differently by the scheduler and skew the ratio).
class Peer {
public:
    explicit Peer(std::string reply) : reply(std::move(reply)) {
#ifdef _WIN32
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
#endif
        listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), length);
        ::listen(listener, 4);
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        thread = std::thread([this] { serve(); });
    }
    ~Peer() {
        stop = true;
        thread.join();
        closeRaw(listener);
#ifdef _WIN32
        ::WSACleanup();
#endif
    }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    RawSocket connectRaw() const {
        const RawSocket s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
        noDelay(s);
        return s;
    }

    std::size_t replySize() const {
        return reply.size();
    }

    std::uint16_t port = 0;
    std::string firstRequest;
    std::atomic<bool> haveFirst{false};

private:
    struct Connection {
        RawSocket s;
        std::vector<char> buffer;
        std::size_t have;
    };

    // The wait wakes at once for any request; its time-out only bounds how late a stop is seen.
    void serve() {
        std::vector<Connection> connections;
        while (!stop) {
            std::vector<PollEntry> entries(1);
            entries[0].fd = listener;
            entries[0].events = POLLRDNORM;
            for (const Connection& c : connections) {
                PollEntry entry{};
                entry.fd = c.s;
                entry.events = POLLRDNORM;
                entries.push_back(entry);
            }
            if (pollAll(entries, 20) <= 0)
                continue;
            if (entries[0].revents) {
                const RawSocket s = ::accept(listener, nullptr, nullptr);
                if (s != noSocket) {
                    noDelay(s);
                    connections.push_back({s, std::vector<char>(64 * 1024), 0});
                }
            }
            for (std::size_t i = 0; i + 1 < entries.size(); ++i) {
                if (entries[i + 1].revents && !answer(connections[i])) {
                    closeRaw(connections[i].s);
                    connections[i].s = noSocket;
                }
            }
            connections.erase(std::remove_if(connections.begin(), connections.end(),
                                             [](const Connection& c) { return c.s == noSocket; }),
                              connections.end());
        }
        for (const Connection& c : connections)
            closeRaw(c.s);
    }

    // Reads what arrived and answers every complete request; false when the client has gone.
    bool answer(Connection& c) {
        const auto n =
            ::recv(c.s, c.buffer.data() + c.have, static_cast<int>(c.buffer.size() - c.have), 0);
        if (n <= 0)
            return false;
        c.have += static_cast<std::size_t>(n);
        for (;;) {
            const void* at = std::memchr(c.buffer.data(), 0, c.have);
            if (!at)
                return true;
            const std::size_t nul = static_cast<const char*>(at) - c.buffer.data();
            if (c.have < nul + 5)
                return true;
            if (!haveFirst) {
                firstRequest.assign(c.buffer.data(), nul + 5);
                haveFirst = true;
            }
            std::memmove(c.buffer.data(), c.buffer.data() + nul + 5, c.have - nul - 5);
            c.have -= nul + 5;
            if (!sendAll(c.s, reply.data(), reply.size()))
                return false;
        }
    }

    std::string reply;
    RawSocket listener = noSocket;
    std::atomic<bool> stop{false};
    std::thread thread;
};

} // namespace benchpeer
