// A one-connection TCP peer on 127.0.0.1 that runs a script on its own thread: a printer as
// simple as a test needs it.
#pragma once

#include "FdIo.h"
#include "WireFrame.h"

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace kalyxtest {

class LoopbackPeer {
public:
    // Listens on a free port; `script` runs with the accepted connection, which is closed
    // after it returns.
    explicit LoopbackPeer(std::function<void(int fd)> script);
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    // Waits for the script to finish.
    void join();

    std::uint16_t port = 0;

    // For scripts.
    static bool sendAll(int fd, const std::string& bytes) { return writeAll(fd, bytes); }
    static bool recvAll(int fd, std::string& out, std::size_t length) {
        out.resize(length);
        return readExact(fd, &out[0], length, scriptWaitMs);
    }
    // One request; an empty frame when none came.
    static Frame recvRequest(int fd) {
        Frame request;
        readFrame(fd, request, scriptWaitMs);
        return request;
    }
    static void waitForEof(int fd) { kalyxtest::waitForEof(fd); }

private:
    static constexpr int scriptWaitMs = 10000;

    int listener = -1;
    std::thread thread;
};

} // namespace kalyxtest
