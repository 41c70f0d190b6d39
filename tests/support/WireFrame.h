// The wire format as the tests know it, written apart from the library's and the simulator's
// own framing so that each checks the others: a message is its XML text, one 0x00, the payload
// its binary-size announces, and a CRC-32 of all that, least significant byte first.
#pragma once

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kalyxtest {

// The format's CRC-32 (polynomial 0x04C11DB7 taken most significant bit first, register
// starting at all ones, result complemented), a byte at a time from a table.
std::uint32_t wireChecksum(const void* data, std::size_t size);

// `text`, 0x00, `payload` and the checksum, little-endian unless `bigEndianCrc`.
std::string frame(const std::string& text, const std::string& payload = {},
                  bool bigEndianCrc = false);
// A printer's answer: "<prn>" `inner` binary-size "</prn>", framed.
std::string answer(const std::string& inner, const std::string& payload = {});
// A host's request: the declaration, "<prn>" `body` binary-size time "</prn>", framed.
std::string request(const std::string& body, const std::string& payload = {});

// One message taken apart.
struct Frame {
    Frame() = default;
    // A whole message as one buffer: the text up to the first 0x00, the checksum in the last
    // four bytes and the payload in between, whatever the text announces.
    explicit Frame(const std::string& bytes);

    std::size_t stray = 0; // bytes skipped before the text began
    std::string text;
    std::string payload;
    std::uint32_t crcOnWire = 0; // read little-endian
    std::uint32_t crcComputed = 0;
    bool complete = false; // text, 0x00 and checksum were all there
    bool parsed = false;   // the text is well-formed XML
    std::shared_ptr<pugi::xml_document> document = std::make_shared<pugi::xml_document>();

    bool crcOk() const { return complete && crcOnWire == crcComputed; }
    pugi::xml_node prn() const { return document->child("prn"); }
    std::string error() const { return prn().child("error").text().as_string(); }
    // The text without the value of "time", which changes every second.
    std::string textWithoutTime() const;
};

// Takes messages out of a byte stream that arrives in pieces. Bytes before a message's '<' are
// skipped and counted; the payload's length comes from the text's binary-size.
class FrameReader {
public:
    explicit FrameReader(std::uint64_t payloadLimit = std::uint64_t(256) << 20)
        : payloadLimit(payloadLimit) {}

    void feed(const char* data, std::size_t size);
    void feed(const std::string& bytes) { feed(bytes.data(), bytes.size()); }
    // Moves the next whole message into `frame`; false while none is complete.
    bool next(Frame& frame);
    // How many more bytes the message under way needs at least (1 while its text goes on).
    std::size_t needed() const;
    // A message announced a payload beyond the limit: the stream cannot be followed any more.
    bool oversized() const { return oversize; }

private:
    void skipStray();
    void readText();

    const std::uint64_t payloadLimit;
    std::string pending;
    std::size_t stray = 0;
    std::size_t textEnd = std::string::npos; // position of the 0x00 once it has arrived
    std::size_t total = 0;                   // the whole message's length once the text is known
    bool oversize = false;
};

} // namespace kalyxtest
