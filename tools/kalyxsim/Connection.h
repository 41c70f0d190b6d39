// One byte stream to a host (an accepted TCP peer or the pty): reads framed requests, hands
// them to the printer, and writes the answers, bent by whatever fault applies.
#pragma once

#include "SimFraming.h"
#include "SimPrinter.h"
#include "SocketIo.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace kalyxsim {

class Connection {
public:
    using Clock = std::chrono::steady_clock;

    // Takes ownership of `handle` (non-blocking) and serves `printer` on it. `socket` selects
    // send() over write() and allows hanging up on the peer. `readRate` bounds the bytes read per
    // second (0: no bound), as a printer that prints while it receives.
    Connection(SimPrinter& printer, io::Handle handle, std::string name, bool socket,
               std::uint64_t readRate = 0);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Requests taken from one host per turn of the event loop, so that a host that sends many
    // at once cannot keep the others waiting.
    static constexpr int requestsPerTurn = 4;
    // Answers waiting for a host that does not read them; beyond this, its requests wait too.
    static constexpr std::size_t maxQueuedAnswers = 8;

    io::Handle handle() const { return handle_; }
    const std::string& name() const { return name_; }
    // The poll() events wanted now (io::Event).
    short events(Clock::time_point now) const;
    // Milliseconds until a delayed answer is due or reading may go on; 0 when requests already
    // read wait for their turn; -1 when nothing waits.
    int msUntilDue(Clock::time_point now) const;
    // Memory held for requests not yet handled.
    std::size_t buffered() const;

    // Each returns false when the connection is finished and must be dropped. onReadable reads
    // and handles a turn's worth of requests; onTurn handles those already read.
    bool onReadable();
    bool onTurn();
    bool onWritable(Clock::time_point now);
    // A card job has begun on this stream and must wait until the printer is free: nothing more
    // is read meanwhile, so the host's writes wait as they would on a busy printer.
    bool waitsForPrinter(Clock::time_point now) const;

private:
    struct Pending {
        Clock::time_point due;
        OutgoingFrame frame;
        std::size_t sent = 0;
    };

    void process(Request request);
    // Feeds `data` to the frame reader and handles the requests it completes, at most
    // requestsPerTurn and only while answers may queue; returns the bytes used. False in `ok`
    // when the stream cannot be followed any more.
    std::size_t handle(const unsigned char* data, std::size_t size, bool& ok);
    // True while requests already read wait and answers may still queue.
    bool hasTurn(Clock::time_point now) const;
    // Nothing more will come or go.
    bool finished() const { return readClosed_ && output_.empty() && inbox_.empty(); }
    // Bytes that may be read now under the read rate.
    std::size_t readAllowance(Clock::time_point now) const;

    SimPrinter& printer_;
    io::Handle handle_;
    std::string name_;
    bool socket_;
    bool dropped_ = false;
    bool readClosed_ = false;
    FrameReader reader_;
    // Bytes read but not fed to the reader yet, waiting for the next turn.
    std::vector<unsigned char> inbox_;
    std::deque<Pending> output_;
    // Token bucket of the read rate, refilled as time passes.
    std::uint64_t readRate_;
    mutable double readTokens_ = 0;
    mutable Clock::time_point refilled_ = Clock::now();
};

} // namespace kalyxsim
