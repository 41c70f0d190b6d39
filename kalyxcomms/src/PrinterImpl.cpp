#include "PrinterImpl.h"

#include "Framing.h"
#include "LargeBuffer.h"
#include "transport/ReportingSession.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <string>
#include <vector>

namespace Orvane {

namespace {

// The payload is read in pieces so that each is checksummed while it is still in cache.
constexpr std::size_t kPayloadChunk = 256 * 1024;

// Requests with at most this much payload are written as one block.
constexpr std::size_t kGatherLimit = 64 * 1024;

// Bytes skipped before a response's "<" are the tail of an earlier broken response at most, so a
// peer that never sends "<" ends the exchange instead of keeping it busy forever.
constexpr std::uint64_t kMaxStrayBytes = kMaxResponsePayload + kMaxResponseText + 5;

using Clock = std::chrono::steady_clock;

// However it trickles, an answer must arrive within its read time-out plus the time its bytes
// take at this rate: one byte per microsecond, 1 MB/s.
constexpr auto kFloorTimePerByte = std::chrono::microseconds(1);

// Failures after which the conversation cannot be trusted any more.
bool breaksConversation(FailureReason why) {
    switch (why) {
    case FailureReason::None:
    case FailureReason::NotConnected:
    case FailureReason::BadArgument:
    case FailureReason::PrinterRefused:
        return false;
    default:
        return true;
    }
}

// The answer's time limit on the transport while a receive runs.
class ReadDeadline {
public:
    ReadDeadline(ReportingSession* own, Clock::time_point deadline) : own(own) {
        if (own)
            own->setReadDeadline(deadline);
    }
    ~ReadDeadline() {
        if (own)
            own->setReadDeadline(Clock::time_point::max());
    }
    ReadDeadline(const ReadDeadline&) = delete;
    ReadDeadline& operator=(const ReadDeadline&) = delete;

    void extend(Clock::time_point deadline) {
        if (own)
            own->setReadDeadline(deadline);
    }

private:
    ReportingSession* own;
};

} // namespace

PrinterImpl::PrinterImpl(std::unique_ptr<Session> transport)
    : transport(std::move(transport)), own(dynamic_cast<ReportingSession*>(this->transport.get())) {
}

bool PrinterImpl::fail(FailureReason why) {
    failure = why;
    if (own && breaksConversation(why))
        own->setConversationBroken(true);
    return false;
}

bool PrinterImpl::succeed(bool refused) {
    failure = refused ? FailureReason::PrinterRefused : FailureReason::None;
    if (own)
        own->setConversationBroken(false);
    return true;
}

bool PrinterImpl::failTransfer(FailureReason otherwise) {
    if (!transport || !transport->isOpen())
        return fail(FailureReason::NotConnected);
    // Sessions from outside the library cannot say why.
    const FailureReason known = own ? own->lastTransferFailure() : FailureReason::None;
    return fail(known != FailureReason::None ? known : otherwise);
}

bool PrinterImpl::close() {
    if (!transport)
        return fail(FailureReason::NotConnected);
    const bool finished = own ? own->finish() : true;
    const FailureReason why = own ? own->lastTransferFailure() : FailureReason::None;
    own = nullptr;
    transport.reset();
    return finished ? succeed() : fail(why);
}

bool PrinterImpl::send(PrnMessage& message) {
    if (!transport)
        return fail(FailureReason::NotConnected);
    const auto writeAll = [this](const unsigned char* data, std::size_t size) {
        if (size > static_cast<std::size_t>(INT_MAX))
            return fail(FailureReason::BadArgument);
        return transport->write(reinterpret_cast<const char*>(data), static_cast<int>(size)) ||
               failTransfer(FailureReason::WriteFailed);
    };
    Crc32 crc;
    XmlVectorWriter header;
    buildRequestHeader(message.document, message.payload.size(), header, crc);
    crc.update(message.payload.data(), message.payload.size());
    unsigned char crcBytes[4];
    storeCrcLe(crc.value(), crcBytes);

    if (!transport->setWriteTimeout(writeTimeout(message.writeTimeoutMs)))
        return fail(transport->isOpen() ? FailureReason::WriteFailed : FailureReason::NotConnected);
    // A command leaves in one write, so a network printer gets it in one segment and wakes once.
    // A large payload is not worth copying for that.
    if (message.payload.size() <= kGatherLimit) {
        std::vector<unsigned char>& bytes = header.bytes;
        bytes.insert(bytes.end(), message.payload.begin(), message.payload.end());
        bytes.insert(bytes.end(), crcBytes, crcBytes + sizeof crcBytes);
        return writeAll(bytes.data(), bytes.size());
    }
    return writeAll(header.bytes.data(), header.bytes.size()) &&
           writeAll(message.payload.data(), message.payload.size()) &&
           writeAll(crcBytes, sizeof crcBytes);
}

bool PrinterImpl::receive(PrnMessage& message) {
    if (!transport)
        return fail(FailureReason::NotConnected);
    Session& in = *transport;
    const std::uint32_t timeoutMs = readTimeout(message);
    if (!in.setReadTimeout(timeoutMs))
        return fail(in.isOpen() ? FailureReason::ReadFailed : FailureReason::NotConnected);

    // Measured from the request's last byte, which has just left. A time-out of 0 waits
    // without limit, and so does the answer.
    Clock::time_point deadline = Clock::time_point::max();
    if (timeoutMs != 0)
        deadline = Clock::now() + std::chrono::milliseconds(timeoutMs) +
                   kFloorTimePerByte * (kMaxResponseText + 5);
    ReadDeadline bound(own, deadline);
    bool began = false;
    const auto readFailed = [&] {
        if (!in.isOpen())
            return fail(FailureReason::NotConnected);
        FailureReason why = own ? own->lastTransferFailure() : FailureReason::ReadFailed;
        if (why == FailureReason::None)
            why = FailureReason::ReadFailed;
        if (!own && Clock::now() >= deadline)
            why = FailureReason::ReadTimedOut; // given up at the answer's deadline
        if (began && why == FailureReason::ReadTimedOut)
            why = FailureReason::AnswerStalled;
        return fail(why);
    };
    // Transports from outside the library know no deadline: their time-out is narrowed to it.
    const auto readBytes = [&](char* buffer, int length) {
        if (!own && deadline != Clock::time_point::max()) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return false;
            if (left < timeoutMs)
                in.setReadTimeout(static_cast<std::uint32_t>(left));
        }
        return in.read(buffer, length);
    };

    char c = 0;
    for (std::uint64_t skipped = 0;; ++skipped) {
        if (skipped > kMaxStrayBytes)
            return fail(FailureReason::MalformedFrame);
        if (!readBytes(&c, 1))
            return readFailed();
        if (c == '<')
            break;
    }
    began = true;

    std::string text;
    text.reserve(kMaxResponseText);
    text.push_back('<');
    for (;;) {
        if (!readBytes(&c, 1))
            return readFailed();
        if (c == '\0')
            break;
        if (text.size() >= kMaxResponseText)
            return fail(FailureReason::OversizedAnswer);
        text.push_back(c);
    }
    Crc32 crc;
    crc.update(text.data(), text.size() + 1); // with the terminating 0x00

    message.document.reset();
    if (!message.document.load_buffer(text.data(), text.size(), pugi::parse_default,
                                      pugi::encoding_auto))
        return fail(FailureReason::MalformedFrame);

    const unsigned size = message.response("binary-size").text().as_uint(0);
    if (size > kMaxResponsePayload)
        return fail(FailureReason::OversizedAnswer);
    if (deadline != Clock::time_point::max()) {
        deadline += kFloorTimePerByte * size;
        bound.extend(deadline);
    }

    std::vector<unsigned char>().swap(message.payload);
    message.payload.reserve(size);
    adviseLargeBuffer(message.payload.data(), message.payload.capacity());
    while (message.payload.size() < size) {
        const std::size_t at = message.payload.size();
        const std::size_t piece = std::min<std::size_t>(kPayloadChunk, size - at);
        message.payload.resize(at + piece);
        auto* dst = message.payload.data() + at;
        if (!readBytes(reinterpret_cast<char*>(dst), static_cast<int>(piece)))
            return readFailed();
        crc.update(dst, piece);
    }

    unsigned char crcBytes[4];
    if (!readBytes(reinterpret_cast<char*>(crcBytes), sizeof crcBytes))
        return readFailed();
    return loadCrcLe(crcBytes) == crc.value() || fail(FailureReason::BadChecksum);
}

} // namespace Orvane
