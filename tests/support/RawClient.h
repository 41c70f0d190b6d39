// A host written from the protocol alone, for looking at a printer's bytes directly.
#pragma once

#include "WireFrame.h"

#include <cstdint>
#include <string>

namespace kalyxtest {

class RawClient {
public:
    RawClient() = default;
    // Adopts an open descriptor (a pseudo-terminal, say).
    explicit RawClient(int fd) : fd(fd) {}
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    // Connects to 127.0.0.1:`port`.
    bool connect(std::uint16_t port);
    bool send(const std::string& bytes);
    // Reads one framed answer; false on time-out, hang-up or an announced size it cannot read.
    bool receive(Frame& answer, int timeoutMs = 3000);
    // Everything that arrives until the line is quiet for `quietMs`.
    std::string drain(int quietMs);
    // Ends our sending side; the peer may still answer.
    void shutdownWrite();
    // True when the peer closes the connection within the time.
    bool closedByPeer(int timeoutMs);

private:
    int fd = -1;
};

} // namespace kalyxtest
