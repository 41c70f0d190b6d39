// The printer's network port: a listening socket on the loopback address only.
// TcpListenerPosix.cpp and TcpListenerWindows.cpp make it.
#pragma once

#include "SocketIo.h"

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
    // `receiveBuffer` bytes, when not 0, replace the system's receive buffer of every accepted
    // peer (set on the listener, which they inherit it from).
    bool open(std::uint16_t port, std::string& problem, int receiveBuffer = 0);
    io::Handle handle() const { return handle_; }
    std::uint16_t port() const { return port_; }

    struct Accepted {
        io::Handle handle = io::noHandle; // the new peer, noHandle when none
        bool atLimit = false; // the process is out of file descriptors (sockets on Windows)
        bool shed = false;    // then a waiting peer was accepted and closed at once
    };
    // A newly accepted peer, non-blocking and with Nagle's algorithm off. At the descriptor
    // limit on POSIX the spare descriptor kept for this is given up for a moment to accept the
    // waiting peer and close it, so it is told at once and the listener does not stay ready for
    // ever; Windows has no such spare, and the caller rests the listener instead.
    Accepted accept(std::string& peer);

private:
    io::Handle handle_ = io::noHandle;
    int spare_ = -1; // POSIX only
    std::uint16_t port_ = 0;
};

} // namespace kalyxsim
