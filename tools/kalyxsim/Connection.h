// One byte stream to a host (an accepted TCP peer or the pty): reads framed requests, hands
// them to the printer, and writes the answers, bent by whatever fault applies.
#pragma once

#include "SimFraming.h"
#include "SimPrinter.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>

namespace kalyxsim {

class Connection {
public:
    using Clock = std::chrono::steady_clock;

    // Takes ownership of `fd` (non-blocking). `socket` selects send() over write() and allows
    // hanging up on the peer. `readRate` bounds the bytes read per second (0: no bound), as a
    // printer that prints while it receives.
    Connection(int fd, std::string name, bool socket, std::uint64_t readRate = 0);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int fd() const { return fd_; }
    const std::string& name() const { return name_; }
    // The poll() events wanted now.
    short events(Clock::time_point now) const;
    // Milliseconds until a delayed answer is due or reading may go on; -1 when nothing waits.
    int msUntilDue(Clock::time_point now) const;

    // Both return false when the connection is finished and must be dropped.
    bool onReadable(SimPrinter& printer);
    bool onWritable(Clock::time_point now);

private:
    struct Pending {
        Clock::time_point due;
        OutgoingFrame frame;
        std::size_t sent = 0;
    };

    void process(SimPrinter& printer, Request request);
    // Bytes that may be read now under the read rate.
    std::size_t readAllowance(Clock::time_point now) const;

    int fd_;
    std::string name_;
    bool socket_;
    bool dropped_ = false;
    bool readClosed_ = false;
    FrameReader reader_;
    std::deque<Pending> output_;
    // Token bucket of the read rate, refilled as time passes.
    std::uint64_t readRate_;
    mutable double readTokens_ = 0;
    mutable Clock::time_point refilled_ = Clock::now();
};

} // namespace kalyxsim
