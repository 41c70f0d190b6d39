// Magnetic track characters. A track is a sequence of cells of b bits: the b - 1 data bits of a
// character code, least significant first, then an odd parity bit. The last cell is the LRC, the
// exclusive or of all codes. ISO track 1 has 7-bit cells for the characters from ' ' to '_', ISO
// tracks 2 and 3 have 5-bit cells for '0' to '?', JIS Type II has 8-bit cells for 7-bit codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Orvane {

// The code of the first character of b-bit cells: 0x30 for 5 bits, 0x20 for 7, 0 otherwise.
unsigned trackCharacterOffset(unsigned bitsPerChar);

// What the cells of a track read as. Parity is not checked and the LRC is not verified: a track
// shows what it holds, sentinels included.
struct TrackCharacters {
    enum Result {
        BadCellWidth, // bits per character 0 or more than 8
        NoBits,       // a bit count of 0
        LengthError,  // no more bits than one cell, or more bits than the bytes hold
        Decoded,
    };
    Result result = BadCellWidth;
    // One character code (0 .. 255) per byte, for every cell that starts before the LRC cell.
    // When the bit count is no multiple of b, the last character and the LRC share bits.
    std::string codes;
    // The last b bits as stored, the first of them most significant (its parity bit is bit 0).
    std::uint32_t lrc = 0;
};

// Reads `bitCount` bits of `bytes` (which holds `byteCount` bytes) as cells of `bitsPerChar`.
TrackCharacters decodeTrackCharacters(const unsigned char* bytes, std::size_t byteCount,
                                      std::uint64_t bitCount, unsigned bitsPerChar);

// The cells of `text` followed by its LRC cell, in track order. A character outside the cells'
// set is written as the set's first code; a cell width outside 2 .. 8 gives no bits.
std::vector<bool> encodeTrackCharacters(const std::string& text, unsigned bitsPerChar);

} // namespace Orvane
