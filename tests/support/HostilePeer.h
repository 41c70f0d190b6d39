// A printer on 127.0.0.1 that misbehaves on purpose, in the ways a host must survive: it serves
// every connection in the one way it was made for, on its own thread, until destroyed.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace kalyxtest {

class HostilePeer {
public:
    enum class Fault {
        Silent,         // reads the request and never answers
        Malformed,      // answers with text that is no XML
        Trickle,        // answers well, but one byte per pause
        Stall,          // sends the first half of an answer, then nothing
        CloseMidFrame,  // sends the first half of an answer, then closes
        Reset,          // reads the request, then resets the connection
        RefuseToRead,   // accepts and never reads
        CloseUnread,    // closes each connection a moment after accepting it, unread
        HugeBinarySize, // announces a payload of 4 GiB
        Scripted,       // answers every request with the given reply
        FullBacklog,    // never accepts, and its queue of new connections is full
        Echo,           // sends back every byte it receives: framed, but no printer's answer
        WebServer,      // a web server on the wrong port: "400 Bad Request" and a page, then closes
        Greeting,       // greets with a banner line, as a remote shell does, then only waits
    };

    // `reply` is the answer sent (whole or in part) where the fault sends one; `pauseMs` the
    // pause between the bytes of a trickle. With `identifiesFirst` each connection's first
    // request gets a printer's identity before the fault begins, as a printer that breaks down
    // only once the job comes.
    explicit HostilePeer(Fault fault, std::string reply = {}, int pauseMs = 20,
                         bool identifiesFirst = false);
    ~HostilePeer();
    HostilePeer(const HostilePeer&) = delete;
    HostilePeer& operator=(const HostilePeer&) = delete;

    std::uint16_t port() const { return port_; }
    // Bytes read from hosts so far.
    std::uint64_t received() const { return received_; }

    // A well-formed answer to a settings request, the reply used when none is given.
    static std::string settingsAnswer();
    // A printer's answer to the request for its identity.
    static std::string identityAnswer();

private:
    void serve();
    void handle(int fd);
    // Reads one request; false when none came.
    bool readRequest(int fd);
    // Writes `bytes` one at a time with pauses; false once stopped or the host is gone.
    bool trickle(int fd, const std::string& bytes);
    bool stopping() const { return stop_; }

    const Fault fault_;
    const std::string reply_;
    const int pauseMs_;
    const bool identifiesFirst_;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> received_{0};
    // Connections kept open, unanswered, until the end; and those filling a full backlog.
    std::vector<int> held_;
    std::thread thread_;
};

} // namespace kalyxtest
