// The simulator's single event loop: the listener, every connected host and the pty, served
// in turn without threads, until SIGINT or SIGTERM arrives.
#pragma once

#include "Connection.h"
#include "SimPrinter.h"
#include "TcpListener.h"

#include <memory>
#include <vector>

namespace kalyxsim {

class Server {
public:
    Server(SimPrinter& printer, TcpListener& listener);

    // Serves the pty master as one more (permanent) connection.
    void addPty(int masterFd, const std::string& path);

    // Runs until a stop signal; `signalFd` is a signalfd for SIGINT and SIGTERM. Returns false
    // when the loop itself failed.
    bool run(int signalFd);

private:
    SimPrinter& printer_;
    TcpListener& listener_;
    std::vector<std::unique_ptr<Connection>> connections_;
    unsigned accepted_ = 0;
    const Connection* pty_ = nullptr;
};

} // namespace kalyxsim
