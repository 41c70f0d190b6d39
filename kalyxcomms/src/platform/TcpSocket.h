#pragma once

#include "platform/CancelSignal.h"
#include "platform/Transfer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Orvane {
namespace platform {

// Start-up and clean-up of the system's socket layer. Some systems need both (WinSock); where the
// layer needs nothing it is always ready. Comms holds one for as long as it lives; while no layer
// is ready, TcpSocket::connect gives nothing.
class SocketLayer {
public:
    SocketLayer();
    ~SocketLayer();
    SocketLayer(const SocketLayer&) = delete;
    SocketLayer& operator=(const SocketLayer&) = delete;

    bool ready() const { return started; }

private:
    bool started = false;
};

// A connected TCP stream socket. Each back end (one file per operating system under
// platform/<system>/) provides connect(); EthernetSession builds the read-ahead buffer, the
// framing of calls into transfers and the close budget on top, the same for every system.
class TcpSocket {
public:
    // Releases the socket at once when close() was not called.
    virtual ~TcpSocket() = default;

    // Connects to `address`, dotted IPv4 text, on `port`, with Nagle's algorithm off. Empty
    // without creating a socket for 0.0.0.0, 255.255.255.255 and text that is no address (host
    // names are not resolved); empty too when the connection fails or is not made within
    // `timeoutMs` (a printer whose queue of new connections is full never answers at all).
    static std::unique_ptr<TcpSocket> connect(const std::string& address, std::uint16_t port,
                                              std::uint32_t timeoutMs);

    // One receive of at most `capacity` bytes, waiting at most the receive time-out. A count of
    // 0 never comes with Done: the peer's close is Closed.
    virtual Transfer receive(char* buffer, std::size_t capacity) = 0;
    // One send of at most `size` bytes, waiting at most the send time-out for the peer to take
    // anything; Done may come with fewer bytes, and the caller goes on with the rest. A closed
    // peer never raises a signal.
    virtual Transfer send(const char* data, std::size_t size) = 0;
    // Bytes sent that the peer has not acknowledged yet; 0 where the system cannot say.
    virtual std::size_t unacknowledged() const = 0;

    // Time-outs of every later receive or send, in milliseconds; 0 waits without limit.
    virtual bool setReceiveTimeout(std::uint32_t milliseconds) = 0;
    virtual bool setSendTimeout(std::uint32_t milliseconds) = 0;

    // The close sequence of a conversation that went well: ends the sending side, waits until
    // the peer has acknowledged every byte (giving up once it acknowledged nothing for
    // `takeMs`), discards what the peer still sends until it closes or `drainMs` pass, lingers
    // so that the last bytes are delivered, and releases the socket. Done when the peer took
    // everything and did not reset the connection; Closed when it reset it (it did not take
    // what it was sent); TimedOut when bytes stayed unacknowledged. Released in every case.
    virtual TransferStatus close(std::uint32_t takeMs, std::uint32_t drainMs) = 0;
    // Releases the socket at once, without waiting for the peer: after a failed or cancelled
    // exchange it has nothing more to say that we want. The connection is reset, so bytes
    // still queued for sending are dropped: a cancelled job whose last bytes the system still
    // held never reaches the printer whole.
    virtual void abort() = 0;

    // The system's handle of the socket, for tests that look at its options.
    virtual std::intptr_t nativeHandle() const = 0;

    // From now on every receive, send and close sequence ends with Cancelled as soon as
    // `signal` is raised (and at once when it already is); the signal outlives the socket.
    void watch(const CancelSignal* signal) { cancel = signal; }

protected:
    TcpSocket() = default;
    bool cancelled() const { return cancel && cancel->raised(); }

    const CancelSignal* cancel = nullptr;
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;
};

} // namespace platform
} // namespace Orvane
