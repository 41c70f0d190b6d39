#include "EthernetSession.h"

#include <cstring>

namespace Orvane {

namespace {

constexpr std::size_t kReadAheadSize = 64 * 1024;
// The close sequence waits for the printer's own close at most this long when no receive
// time-out was ever set (a socket without one would wait forever).
constexpr std::uint32_t kDefaultDrainMs = AnswerTimeoutMs;
// ... and for the printer to take what it was sent, when no send time-out was set.
constexpr std::uint32_t kDefaultTakeMs = TakeTimeoutMs;
// ... and after a complete answer, which needs no wait at all (0 would mean none).
constexpr std::uint32_t kAnsweredDrainMs = 1;

} // namespace

EthernetSession::EthernetSession(const std::string& address, Port port,
                                 std::uint32_t connectTimeoutMs) {
    // Any 32-bit port value is valid; its low 16 bits are the TCP port.
    const auto tcpPort = static_cast<std::uint16_t>(static_cast<std::uint32_t>(port) & 0xFFFFu);
    socket = platform::TcpSocket::connect(address, tcpPort, connectTimeoutMs);
    if (!socket)
        return;
    socket->watch(cancelSignal().get());
    readBuffer = std::make_unique<char[]>(kReadAheadSize);
    open = true;
}

EthernetSession::~EthernetSession() {
    if (!open || !socket)
        return;
    if (broken() || cancelled())
        socket->abort();
    else
        socket->close(takeMs(), drainMs());
}

std::uint32_t EthernetSession::drainMs() const {
    // A printer that answered need not be waited for, only given a moment to show a reset.
    if (answered)
        return kAnsweredDrainMs;
    return readTimeoutMs ? readTimeoutMs : kDefaultDrainMs;
}

std::uint32_t EthernetSession::takeMs() const {
    return writeTimeoutMs ? writeTimeoutMs : kDefaultTakeMs;
}

bool EthernetSession::finish() {
    if (!open || !socket)
        return fail(FailureReason::NotConnected);
    const platform::TransferStatus status = socket->close(takeMs(), drainMs());
    socket.reset();
    open = false;
    switch (status) {
    case platform::TransferStatus::Done:
        return true;
    case platform::TransferStatus::TimedOut:
        return fail(FailureReason::WriteTimedOut);
    case platform::TransferStatus::Closed:
        return fail(FailureReason::ConnectionClosed);
    case platform::TransferStatus::Cancelled:
        return fail(FailureReason::Cancelled);
    default:
        return fail(FailureReason::WriteFailed);
    }
}

bool EthernetSession::receiveSome(char* buffer, std::size_t capacity, std::size_t& received) {
    received = 0;
    std::uint32_t waitMs = 0;
    if (!readWait(readTimeoutMs, waitMs))
        return false;
    if (waitMs != readTimeoutMs) {
        // The answer's deadline is nearer than the read time-out.
        if (!socket->setReceiveTimeout(waitMs))
            return fail(FailureReason::ReadFailed);
        readTimeoutSet = false;
    } else if (!readTimeoutSet && !setReadTimeout(readTimeoutMs)) {
        return fail(FailureReason::ReadFailed);
    }
    const platform::Transfer got = socket->receive(buffer, capacity);
    received = got.count;
    if (!got.ok())
        return failRead(got.status);
    return got.count > 0 || fail(FailureReason::ReadFailed);
}

bool EthernetSession::read(char* buffer, int length) {
    if (!mayTransfer(buffer, length))
        return false;
    std::size_t wanted = static_cast<std::size_t>(length);
    while (wanted > 0) {
        const std::size_t buffered = readEnd - readPos;
        if (buffered > 0) {
            const std::size_t n = buffered < wanted ? buffered : wanted;
            std::memcpy(buffer, readBuffer.get() + readPos, n);
            readPos += n;
            buffer += n;
            wanted -= n;
            continue;
        }
        std::size_t received = 0;
        if (wanted >= kReadAheadSize) {
            // Large reads go straight into the caller's buffer.
            if (!receiveSome(buffer, wanted, received))
                return false;
            buffer += received;
            wanted -= received;
        } else {
            if (!receiveSome(readBuffer.get(), kReadAheadSize, received))
                return false;
            readPos = 0;
            readEnd = received;
        }
    }
    return true;
}

bool EthernetSession::write(const char* data, int length) {
    written = 0;
    answered = false;
    if (!mayTransfer(data, length))
        return false;
    std::size_t left = static_cast<std::size_t>(length);
    // Each send waits at most the send time-out for the printer to take anything, so a write
    // ends once the printer took nothing for that long, however large it is.
    while (left > 0) {
        const platform::Transfer sent = socket->send(data, left);
        written += sent.count;
        if (!sent.ok() || sent.count == 0) {
            // What still sits in our queue never reached the printer.
            const std::uint64_t queued = socket->unacknowledged();
            written = written > queued ? written - queued : 0;
            return sent.ok() ? fail(FailureReason::WriteFailed) : failWrite(sent.status);
        }
        data += sent.count;
        left -= sent.count;
    }
    return true;
}

bool EthernetSession::setReadTimeout(std::uint32_t milliseconds) {
    if (readTimeoutSet && milliseconds == readTimeoutMs)
        return true;
    if (!socket || !socket->setReceiveTimeout(milliseconds))
        return false;
    readTimeoutMs = milliseconds;
    readTimeoutSet = true;
    return true;
}

bool EthernetSession::setWriteTimeout(std::uint32_t milliseconds) {
    if (writeTimeoutSet && milliseconds == writeTimeoutMs)
        return true;
    if (!socket || !socket->setSendTimeout(milliseconds))
        return false;
    writeTimeoutMs = milliseconds;
    writeTimeoutSet = true;
    return true;
}

} // namespace Orvane
