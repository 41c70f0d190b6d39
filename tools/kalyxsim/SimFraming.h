// The printer's side of the message framing: requests are parsed incrementally from a byte
// stream (so one loop can serve many peers without blocking), responses are built as one
// contiguous header plus a shared payload so a large report is never copied.
#pragma once

#include <pugixml.hpp>

#include <prnformat/Crc32.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kalyxsim {

using Bytes = std::vector<unsigned char>;
using SharedBytes = std::shared_ptr<const Bytes>;

// One request as it arrived, kept whole so a print job can be stored byte for byte.
struct Request {
    std::string text; // XML text from the first '<' up to the NUL, excluded
    Bytes payload;
    std::array<unsigned char, 4> crcBytes{};
    std::uint32_t crcComputed = 0;
    std::size_t strayBytes = 0; // skipped before the first '<'
    std::unique_ptr<pugi::xml_document> document = std::make_unique<pugi::xml_document>();
    bool parsed = false;

    bool crcMatches() const { return Orvane::loadCrcLe(crcBytes.data()) == crcComputed; }
    pugi::xml_node root() const { return document->child("prn"); }
    // The command element: the first child of "prn" other than the framing elements.
    pugi::xml_node command() const;
    // Bytes as they were framed, without the stray prefix.
    Bytes wireBytes() const;
};

class FrameReader {
public:
    // Largest XML text accepted before its NUL, and largest payload accepted; beyond these the
    // stream cannot be trusted any more and the peer is dropped.
    static constexpr std::size_t maxTextSize = 1u << 20;
    static constexpr std::uint64_t maxPayloadSize = 128ull << 20;

    // Consumes bytes up to the end of one frame, pausing once at the end of its text (so the
    // caller can look at the header before the payload is taken). Returns how many were used;
    // when a frame is complete `hasFrame()` is true and the rest of the buffer must be fed after
    // `takeFrame()`.
    std::size_t feed(const unsigned char* data, std::size_t size);

    bool hasFrame() const { return ready_; }
    // The frame under way once its text is read (payload still to come), else null.
    const Request* headerRead() const {
        return state_ == State::Payload || state_ == State::Crc ? &current_ : nullptr;
    }
    Request takeFrame();

    // True once the stream broke a limit; `failure()` says which.
    bool failed() const { return !failure_.empty(); }
    const std::string& failure() const { return failure_; }
    // True while a frame has started but not finished.
    bool midFrame() const { return state_ != State::Skip || current_.strayBytes != 0; }
    // Bytes held for the frame under way (its text and its payload so far).
    std::size_t buffered() const { return current_.text.size() + current_.payload.size(); }

private:
    enum class State { Skip, Text, Payload, Crc };

    void finishText();

    State state_ = State::Skip;
    Request current_;
    Orvane::Crc32 crc_;
    std::uint64_t payloadSize_ = 0;
    std::size_t crcFill_ = 0;
    bool ready_ = false;
    std::string failure_;
};

// How a response leaves, possibly bent on purpose (see Misbehaviour.h).
struct FrameShape {
    std::size_t strayBytes = 0;
    bool crcBigEndian = false;
    std::size_t textLength = 0; // 0 = as serialised
    std::uint64_t binarySizeExtra = 0;
    bool announceSize = false; // announce `announcedSize` instead of the real size
    std::uint64_t announcedSize = 0;
    bool badXml = false;
};

struct OutgoingFrame {
    Bytes head; // stray bytes, text, NUL
    SharedBytes payload;
    std::array<unsigned char, 4> crc{};
    std::size_t size() const { return head.size() + (payload ? payload->size() : 0) + 4; }
};

// Serialises `document` (root "prn") raw with a UTF-8 declaration. The "binary-size" element
// is set here, so callers need not add it.
OutgoingFrame buildFrame(pugi::xml_document& document, SharedBytes payload,
                         const FrameShape& shape = FrameShape());

} // namespace kalyxsim
