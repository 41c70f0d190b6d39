// The printer's network port: a listening socket on the loopback address only.
#pragma once

#include <cstdint>
#include <string>

namespace kalyxsim {

class TcpListener {
public:
    TcpListener() = default;
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    // Binds 127.0.0.1:`port` (0 lets the system choose). False with a reason on failure.
    bool open(std::uint16_t port, std::string& problem);
    int fd() const { return fd_; }
    std::uint16_t port() const { return port_; }
    // A newly accepted peer, non-blocking and with Nagle's algorithm off; -1 when none waits.
    int accept(std::string& peer);

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

} // namespace kalyxsim
