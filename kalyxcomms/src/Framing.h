#pragma once

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>

namespace Orvane {

// Limits of a response the receiver accepts.
constexpr std::size_t kMaxResponseText = 4096;
constexpr std::uint32_t kMaxResponsePayload = 104857600; // 100 MiB

// Prepares a request or job header for its frame (Orvane::FrameWriter): adds the UTF-8
// declaration when the document has none and sets (or appends) "prn"/"binary-size" and
// "prn"/"time".
void prepareRequestHeader(pugi::xml_document& document, std::uint64_t payloadSize);

// Seconds since the epoch as the protocol writes them (signed 32-bit).
std::int32_t protocolTime();

} // namespace Orvane
