#include "PrinterImpl.h"

#include "Framing.h"
#include "LargeBuffer.h"
#include "platform/CancelSignal.h"
#include "transport/ReportingSession.h"

#include <prnformat/Crc32.h>
#include <prnformat/JobFrame.h>

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

// A printer's answer begins with its XML declaration or its root element.
bool beginsLikeAnAnswer(const std::string& head) {
    for (const char* start : {"<?xml", "<prn"}) {
        const std::string expected(start);
        const std::size_t n = std::min(head.size(), expected.size());
        if (head.compare(0, n, expected, 0, n) == 0)
            return true;
    }
    return false;
}

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
    : transport(std::move(transport)), own(dynamic_cast<ReportingSession*>(this->transport.get())),
      wake(own ? own->cancelSignal() : nullptr) {}

void PrinterImpl::abort() {
    abortRequested.store(true, std::memory_order_release);
    // Transports from outside the library cannot be woken: their call ends at its time-out,
    // and fails as cancelled.
    if (wake)
        wake->raise();
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
    if (aborted())
        return fail(FailureReason::Cancelled);
    if (!transport || !transport->isOpen())
        return fail(FailureReason::NotConnected);
    // Sessions from outside the library cannot say why.
    const FailureReason known = own ? own->lastTransferFailure() : FailureReason::None;
    return fail(known != FailureReason::None ? known : otherwise);
}

bool PrinterImpl::close() {
    if (!transport)
        return fail(FailureReason::NotConnected);
    if (aborted()) {
        // Nothing more is waited for: the transport goes at once.
        own = nullptr;
        transport.reset();
        return fail(FailureReason::Cancelled);
    }
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
    prepareRequestHeader(message.document, message.payload.size());
    if (!transport->setWriteTimeout(writeTimeout(message.writeTimeoutMs)))
        return fail(transport->isOpen() ? FailureReason::WriteFailed : FailureReason::NotConnected);
    // A command leaves in one write, so a network printer gets it in one segment and wakes once.
    // A large payload is not worth copying for that.
    if (message.payload.size() <= kGatherLimit) {
        const std::vector<unsigned char> bytes =
            frameOf(message.document, message.payload.data(), message.payload.size());
        return writeAll(bytes.data(), bytes.size());
    }
    FrameWriter frame(writeAll);
    return frame.header(message.document) &&
           frame.payload(message.payload.data(), message.payload.size()) && frame.finish();
}

namespace {

// Reads one answer in its steps: skip stray bytes up to the answer's "<", read its text up to
// the NUL, parse it, read the payload it announces and check the checksum. Each step returns
// false once the impl has been told why.
class AnswerReader {
public:
    AnswerReader(PrinterImpl& impl, std::uint32_t timeoutMs)
        : impl(impl), in(*impl.transport), timeoutMs(timeoutMs),
          deadline(answerDeadline(timeoutMs)), bound(impl.own, deadline) {}

    bool skipStrayBytes() {
        char c = 0;
        for (std::uint64_t skipped = 0;; ++skipped) {
            if (skipped > kMaxStrayBytes)
                return impl.fail(FailureReason::MalformedFrame);
            if (!readBytes(&c, 1))
                return readFailed();
            if (c == '<')
                break;
            strayBytes = true;
        }
        head.push_back(c);
        began = true;
        return true;
    }

    bool readText(std::string& text) {
        text.reserve(kMaxResponseText);
        text.push_back('<');
        char c = 0;
        for (;;) {
            if (!readBytes(&c, 1))
                return readFailed();
            if (head.size() < kHeadSize)
                head.push_back(c);
            if (c == '\0')
                break;
            if (text.size() >= kMaxResponseText)
                return impl.fail(FailureReason::OversizedAnswer);
            text.push_back(c);
        }
        crc.update(text.data(), text.size() + 1); // with the terminating 0x00
        return true;
    }

    // The answer's document, and the size of the payload it announces.
    bool parse(const std::string& text, PrnMessage& message, unsigned& payloadSize) {
        message.document.reset();
        if (!message.document.load_buffer(text.data(), text.size(), pugi::parse_default,
                                          pugi::encoding_auto))
            return impl.fail(FailureReason::MalformedFrame);
        payloadSize = message.response("binary-size").text().as_uint(0);
        if (payloadSize > kMaxResponsePayload)
            return impl.fail(FailureReason::OversizedAnswer);
        if (deadline != Clock::time_point::max()) {
            deadline += kFloorTimePerByte * payloadSize;
            bound.extend(deadline);
        }
        return true;
    }

    bool readPayload(unsigned size, std::vector<unsigned char>& payload) {
        std::vector<unsigned char>().swap(payload);
        payload.reserve(size);
        adviseLargeBuffer(payload.data(), payload.capacity());
        while (payload.size() < size) {
            const std::size_t at = payload.size();
            const std::size_t piece = std::min<std::size_t>(kPayloadChunk, size - at);
            payload.resize(at + piece);
            auto* dst = payload.data() + at;
            if (!readBytes(reinterpret_cast<char*>(dst), static_cast<int>(piece)))
                return readFailed();
            crc.update(dst, piece);
        }
        return true;
    }

    bool checkChecksum() {
        unsigned char stored[4];
        if (!readBytes(reinterpret_cast<char*>(stored), sizeof stored))
            return readFailed();
        return loadCrcLe(stored) == crc.value() || impl.fail(FailureReason::BadChecksum);
    }

    // Whatever the outcome: what had come, judged by the bytes before and at the answer's start.
    Reception reception() const {
        if (strayBytes)
            return Reception::Foreign;
        if (head.empty())
            return Reception::Nothing;
        return beginsLikeAnAnswer(head) ? Reception::AnswerLike : Reception::Foreign;
    }

private:
    static constexpr std::size_t kHeadSize = 5; // "<?xml"

    // Measured from the request's last byte, which has just left. A time-out of 0 waits
    // without limit, and so does the answer.
    static Clock::time_point answerDeadline(std::uint32_t timeoutMs) {
        if (timeoutMs == 0)
            return Clock::time_point::max();
        return Clock::now() + std::chrono::milliseconds(timeoutMs) +
               kFloorTimePerByte * (kMaxResponseText + 5);
    }

    // Transports from outside the library know no deadline: their time-out is narrowed to it.
    bool readBytes(char* buffer, int length) {
        if (!impl.own && deadline != Clock::time_point::max()) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return false;
            if (left < timeoutMs)
                in.setReadTimeout(static_cast<std::uint32_t>(left));
        }
        return in.read(buffer, length);
    }

    bool readFailed() {
        if (impl.aborted())
            return impl.fail(FailureReason::Cancelled);
        if (!in.isOpen())
            return impl.fail(FailureReason::NotConnected);
        FailureReason why = impl.own ? impl.own->lastTransferFailure() : FailureReason::ReadFailed;
        if (why == FailureReason::None)
            why = FailureReason::ReadFailed;
        if (!impl.own && Clock::now() >= deadline)
            why = FailureReason::ReadTimedOut; // given up at the answer's deadline
        if (began && why == FailureReason::ReadTimedOut)
            why = FailureReason::AnswerStalled;
        return impl.fail(why);
    }

    PrinterImpl& impl;
    Session& in;
    const std::uint32_t timeoutMs;
    Clock::time_point deadline;
    ReadDeadline bound;
    bool began = false;      // the answer's first byte has arrived
    bool strayBytes = false; // bytes came before the answer's "<"
    std::string head;        // the answer's first bytes from its "<" on
    Crc32 crc;
};

} // namespace

bool PrinterImpl::receive(PrnMessage& message) {
    if (!transport)
        return fail(FailureReason::NotConnected);
    const std::uint32_t timeoutMs = readTimeout(message);
    if (!transport->setReadTimeout(timeoutMs))
        return fail(transport->isOpen() ? FailureReason::ReadFailed : FailureReason::NotConnected);
    AnswerReader answer(*this, timeoutMs);
    std::string text;
    unsigned payloadSize = 0;
    const bool complete = answer.skipStrayBytes() && answer.readText(text) &&
                          answer.parse(text, message, payloadSize) &&
                          answer.readPayload(payloadSize, message.payload) &&
                          answer.checkChecksum();
    reception = answer.reception();
    if (!complete)
        return false;
    if (own)
        own->setAnswered();
    return true;
}

} // namespace Orvane
