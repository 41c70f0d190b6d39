#pragma once

#include <prnformat/Crc32.h>
#include <prnformat/XmlVectorWriter.h>

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>

namespace Orvane {

// Limits of a response the receiver accepts.
constexpr std::size_t kMaxResponseText = 4096;
constexpr std::uint32_t kMaxResponsePayload = 104857600; // 100 MiB

// Prepares a request or job header: adds the UTF-8 declaration when the document has none, sets
// (or appends) "prn"/"binary-size" and "prn"/"time", serialises the document raw into `out` and
// appends the 0x00 separator. `crc` is updated over those bytes; the caller adds the payload.
void buildRequestHeader(pugi::xml_document& document, std::uint64_t payloadSize,
                        XmlVectorWriter& out, Crc32& crc);

// Seconds since the epoch as the protocol writes them (signed 32-bit).
std::int32_t protocolTime();

} // namespace Orvane
