#pragma once

#include "platform/TcpSocket.h"
#include "transport/ReportingSession.h"

#include <kalyxcomms/Types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Orvane {

// A TCP connection to a printer's network interface. The socket calls are the platform's
// (platform/TcpSocket.h); this class keeps the transport's rules: the read-ahead buffer, whole
// reads and writes made of single transfers, cached time-outs and the close budget.
class EthernetSession : public ReportingSession {
public:
    // How long a connection may take to be made: the send time-out of every command.
    static constexpr std::uint32_t defaultConnectTimeoutMs = TakeTimeoutMs;

    // `address` is dotted IPv4 text; 0.0.0.0, the broadcast address and anything that is not an
    // address (host names included) leave the transport closed without creating a socket. So
    // does a connection not made within `connectTimeoutMs`.
    EthernetSession(const std::string& address, Port port,
                    std::uint32_t connectTimeoutMs = defaultConnectTimeoutMs);
    // After a failed exchange the socket is released at once; otherwise the close sequence
    // gives the printer the read time-out to finish.
    ~EthernetSession() override;

    bool read(char* buffer, int length) override;
    bool write(const char* data, int length) override;
    bool setReadTimeout(std::uint32_t milliseconds) override;
    bool setWriteTimeout(std::uint32_t milliseconds) override;
    // The close sequence: false when the printer reset the connection (ConnectionClosed) or
    // stopped acknowledging the bytes still on their way for the write time-out (WriteTimedOut).
    bool finish() override;

    // The system's handle of the socket, -1 when there is none.
    std::intptr_t socketDescriptor() const { return socket ? socket->nativeHandle() : -1; }

private:
    // One receive into `buffer`; false (with the reason kept) on time-out, error or the peer's
    // close.
    bool receiveSome(char* buffer, std::size_t capacity, std::size_t& received);
    // How long the close sequence may wait for the printer to close, and to take the bytes
    // still on their way.
    std::uint32_t drainMs() const;
    std::uint32_t takeMs() const;

    std::unique_ptr<platform::TcpSocket> socket;
    // Every command sets both time-outs, nearly always to the values already in force.
    std::uint32_t readTimeoutMs = 0;
    std::uint32_t writeTimeoutMs = 0;
    bool readTimeoutSet = false;
    bool writeTimeoutSet = false;
    // Responses are read a byte at a time; one receive serves many of those reads.
    std::unique_ptr<char[]> readBuffer;
    std::size_t readPos = 0;
    std::size_t readEnd = 0;
};

} // namespace Orvane
