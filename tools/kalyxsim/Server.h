// The simulator's single event loop: the listener, every connected host and the pty, served
// in turn without threads, until a stop request arrives (see StopSignal.h).
#pragma once

#include "Connection.h"
#include "SimPrinter.h"
#include "SocketIo.h"
#include "StopSignal.h"
#include "TcpListener.h"

#include <memory>
#include <vector>

namespace kalyxsim {

class Server {
public:
    Server(SimPrinter& printer, TcpListener& listener);

    // Bytes read per second from each host (0: as fast as they come); set before run().
    void setReadRate(std::uint64_t bytesPerSecond) { readRate_ = bytesPerSecond; }
    // Most bytes of requests held in memory across all hosts (0: no cap). The host holding the
    // most is hung up on until the rest fits.
    void setBufferCap(std::size_t bytes) { bufferCap_ = bytes; }

    // Serves the printer's end of a pty (or of the virtual USB node) as one more permanent
    // connection; `name` labels it in the log.
    void addPty(io::Handle master, const std::string& name);

    // Runs until a stop request arrives and returns its signal number; returns 0 when the loop
    // itself failed.
    int run(StopSignal& stop);
    // Goes on serving until nothing has arrived or left for `quietMs`: what a program wrote just
    // before it ended is still read and acted on.
    void finish(int quietMs);

private:
    struct Round {
        int signal = 0;    // the signal that arrived, if any
        bool idle = false; // nothing happened within the longest wait
        bool failed = false;
    };

    // One poll() and the work it found; `stop` null = none, `maxWaitMs` -1 = no limit.
    Round serveRound(StopSignal* stop, int maxWaitMs);
    void acceptAll();
    void serveConnections(const std::vector<io::PollEntry>& entries);
    // Marks in `drop` the connections to hang up on so the requests held fit under the cap.
    void enforceBufferCap(std::vector<bool>& drop);

    SimPrinter& printer_;
    TcpListener& listener_;
    std::vector<std::unique_ptr<Connection>> connections_;
    unsigned accepted_ = 0;
    std::uint64_t readRate_ = 0;
    std::size_t bufferCap_ = 0;
    const Connection* pty_ = nullptr;
    // Out of descriptors: logged once per episode; the listener rests until `pausedUntil_`.
    bool atLimit_ = false;
    Connection::Clock::time_point pausedUntil_{};
};

} // namespace kalyxsim
