// Magnetic track bits as jobs and printers store them: most significant bit first, so bit i of a
// track is bit 7 - i % 8 of byte i / 8, and the unused low bits of the last byte are 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Orvane {

// Bytes that hold `bitCount` bits.
constexpr std::uint64_t trackByteCount(std::uint64_t bitCount) {
    return (bitCount + 7) / 8;
}

// Appends the packed bits to `out`.
void packTrackBits(const std::vector<bool>& bits, std::vector<unsigned char>& out);

// The first `bitCount` bits of `bytes`, which holds at least trackByteCount(bitCount) bytes.
std::vector<bool> unpackTrackBits(const unsigned char* bytes, std::size_t bitCount);

// Bits first .. first + count - 1 as one number, the first of them the most significant.
// `count` is at most 32 and every bit read lies inside `bytes`.
std::uint32_t readTrackBits(const unsigned char* bytes, std::uint64_t first, unsigned count);

} // namespace Orvane
