#include "WireFrame.h"

#include <array>
#include <ctime>

namespace kalyxtest {

namespace {

std::array<std::uint32_t, 256> makeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : c << 1;
        table[i] = c;
    }
    return table;
}

std::uint32_t littleEndian(const char* bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
           std::uint32_t(b[3]) << 24;
}

// Fills the text, payload and checksum fields from a message laid out as text, 0x00, payload,
// checksum.
void takeApart(const std::string& bytes, std::size_t textEnd, Frame& frame) {
    frame.text = bytes.substr(0, textEnd);
    frame.payload = bytes.substr(textEnd + 1, bytes.size() - textEnd - 5);
    frame.crcOnWire = littleEndian(bytes.data() + bytes.size() - 4);
    frame.crcComputed = wireChecksum(bytes.data(), bytes.size() - 4);
    frame.complete = true;
    frame.parsed = static_cast<bool>(frame.document->load_buffer(frame.text.data(), textEnd));
}

} // namespace

std::uint32_t wireChecksum(const void* data, std::size_t size) {
    static const std::array<std::uint32_t, 256> table = makeTable();
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i)
        c = (c << 8) ^ table[((c >> 24) ^ bytes[i]) & 0xFF];
    return ~c;
}

std::string frame(const std::string& text, const std::string& payload, bool bigEndianCrc) {
    std::string bytes = text;
    bytes.push_back('\0');
    bytes += payload;
    const std::uint32_t crc = wireChecksum(bytes.data(), bytes.size());
    for (int i = 0; i < 4; ++i) {
        const int shift = bigEndianCrc ? 24 - 8 * i : 8 * i;
        bytes.push_back(static_cast<char>((crc >> shift) & 0xFF));
    }
    return bytes;
}

std::string answer(const std::string& inner, const std::string& payload) {
    return frame("<prn>" + inner + "<binary-size>" + std::to_string(payload.size()) +
                     "</binary-size></prn>",
                 payload);
}

std::string request(const std::string& body, const std::string& payload) {
    return frame("<?xml version=\"1.0\" encoding=\"UTF-8\"?><prn>" + body + "<binary-size>" +
                     std::to_string(payload.size()) + "</binary-size><time>" +
                     std::to_string(std::time(nullptr)) + "</time></prn>",
                 payload);
}

Frame::Frame(const std::string& bytes) {
    const std::size_t nul = bytes.find('\0');
    if (nul == std::string::npos || bytes.size() < nul + 5)
        return;
    takeApart(bytes, nul, *this);
}

std::string Frame::textWithoutTime() const {
    const auto open = text.find("<time>");
    const auto close = text.find("</time>");
    if (open == std::string::npos || close == std::string::npos)
        return text;
    return text.substr(0, open + 6) + text.substr(close);
}

void FrameReader::feed(const char* data, std::size_t size) {
    pending.append(data, size);
}

void FrameReader::skipStray() {
    if (textEnd != std::string::npos || pending.empty() || pending[0] == '<')
        return;
    const std::size_t start = pending.find('<');
    const std::size_t skipped = start == std::string::npos ? pending.size() : start;
    stray += skipped;
    pending.erase(0, skipped);
}

void FrameReader::readText() {
    if (textEnd != std::string::npos || pending.empty())
        return;
    textEnd = pending.find('\0');
    if (textEnd == std::string::npos)
        return;
    pugi::xml_document text;
    text.load_buffer(pending.data(), textEnd);
    const std::uint64_t size = text.child("prn").child("binary-size").text().as_ullong();
    oversize = size > payloadLimit;
    total = textEnd + 1 + static_cast<std::size_t>(oversize ? 0 : size) + 4;
}

bool FrameReader::next(Frame& frame) {
    skipStray();
    readText();
    if (textEnd == std::string::npos || oversize || pending.size() < total)
        return false;
    frame = Frame();
    frame.stray = stray;
    takeApart(pending.substr(0, total), textEnd, frame);
    pending.erase(0, total);
    stray = 0;
    textEnd = std::string::npos;
    return true;
}

std::size_t FrameReader::needed() const {
    if (textEnd == std::string::npos)
        return 1;
    return pending.size() < total ? total - pending.size() : 0;
}

} // namespace kalyxtest
