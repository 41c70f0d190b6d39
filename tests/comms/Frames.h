// Building responses and taking requests apart, independently of the library's own framing.
#pragma once

#include <prnformat/Crc32.h>

#include <pugixml.hpp>

#include <cstdint>
#include <string>

// A response frame: text, 0x00, payload, CRC (little-endian unless bigEndianCrc).
inline std::string frame(const std::string& xml, const std::string& payload = {},
                         bool bigEndianCrc = false) {
    std::string bytes = xml;
    bytes.push_back('\0');
    bytes += payload;
    const std::uint32_t crc = Orvane::crc32(bytes.data(), bytes.size());
    for (int i = 0; i < 4; ++i) {
        const int shift = bigEndianCrc ? 24 - 8 * i : 8 * i;
        bytes.push_back(static_cast<char>((crc >> shift) & 0xFF));
    }
    return bytes;
}

inline std::string answer(const std::string& inner, const std::string& payload = {}) {
    return frame("<prn>" + inner + "<binary-size>" + std::to_string(payload.size()) +
                     "</binary-size></prn>",
                 payload);
}

// One request as the peer sees it.
struct Request {
    bool crcOk = false;
    std::string header;  // text before the 0x00
    std::string payload; // between the 0x00 and the CRC
    pugi::xml_document document;

    explicit Request(const std::string& bytes) {
        const auto nul = bytes.find('\0');
        if (nul == std::string::npos || bytes.size() < nul + 5)
            return;
        header = bytes.substr(0, nul);
        payload = bytes.substr(nul + 1, bytes.size() - nul - 5);
        const auto* tail = reinterpret_cast<const unsigned char*>(bytes.data() + bytes.size() - 4);
        crcOk = Orvane::loadCrcLe(tail) == Orvane::crc32(bytes.data(), bytes.size() - 4);
        document.load_buffer(header.data(), header.size());
    }

    pugi::xml_node prn() const { return document.child("prn"); }
    // The raw text of the document without its "time" value, which changes every second.
    std::string headerWithoutTime() const {
        const auto open = header.find("<time>");
        const auto close = header.find("</time>");
        if (open == std::string::npos || close == std::string::npos)
            return header;
        return header.substr(0, open + 6) + header.substr(close);
    }
};
