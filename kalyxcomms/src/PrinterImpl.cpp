#include "PrinterImpl.h"

#include "Framing.h"
#include "LargeBuffer.h"
#include "transport/ReportingSession.h"

#include <algorithm>
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

} // namespace

bool PrinterImpl::failTransfer(FailureReason otherwise) {
    if (!transport || !transport->isOpen())
        return fail(FailureReason::NotConnected);
    // Sessions from outside the library cannot say why.
    const auto* own = dynamic_cast<const ReportingSession*>(transport.get());
    const FailureReason known = own ? own->lastTransferFailure() : FailureReason::None;
    return fail(known != FailureReason::None ? known : otherwise);
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

    if (!transport->setWriteTimeout(message.writeTimeoutMs))
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
    if (!in.setReadTimeout(message.readTimeoutMs))
        return fail(in.isOpen() ? FailureReason::ReadFailed : FailureReason::NotConnected);
    const auto readFailed = [this] { return failTransfer(FailureReason::ReadFailed); };

    char c = 0;
    for (std::uint64_t skipped = 0;; ++skipped) {
        if (skipped > kMaxStrayBytes)
            return fail(FailureReason::MalformedFrame);
        if (!in.read(&c, 1))
            return readFailed();
        if (c == '<')
            break;
    }

    std::string text;
    text.reserve(kMaxResponseText);
    text.push_back('<');
    for (;;) {
        if (!in.read(&c, 1))
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

    std::vector<unsigned char>().swap(message.payload);
    message.payload.reserve(size);
    adviseLargeBuffer(message.payload.data(), message.payload.capacity());
    while (message.payload.size() < size) {
        const std::size_t at = message.payload.size();
        const std::size_t piece = std::min<std::size_t>(kPayloadChunk, size - at);
        message.payload.resize(at + piece);
        auto* dst = message.payload.data() + at;
        if (!in.read(reinterpret_cast<char*>(dst), static_cast<int>(piece)))
            return readFailed();
        crc.update(dst, piece);
    }

    unsigned char crcBytes[4];
    if (!in.read(reinterpret_cast<char*>(crcBytes), sizeof crcBytes))
        return readFailed();
    return loadCrcLe(crcBytes) == crc.value() || fail(FailureReason::BadChecksum);
}

} // namespace Orvane
