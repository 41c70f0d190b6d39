#include <prnformat/TrackBits.h>
#include <prnformat/TrackCharacters.h>

namespace Orvane {

unsigned trackCharacterOffset(unsigned bitsPerChar) {
    return bitsPerChar == 5 ? 0x30 : bitsPerChar == 7 ? 0x20 : 0;
}

TrackCharacters decodeTrackCharacters(const unsigned char* bytes, std::size_t byteCount,
                                      std::uint64_t bitCount, unsigned bitsPerChar) {
    TrackCharacters cells;
    const unsigned b = bitsPerChar;
    if (b == 0 || b > 8)
        return cells;
    if (bitCount == 0) {
        cells.result = TrackCharacters::NoBits;
        return cells;
    }
    if (b >= bitCount || trackByteCount(bitCount) > byteCount) {
        cells.result = TrackCharacters::LengthError;
        return cells;
    }
    const unsigned offset = trackCharacterOffset(b);
    const unsigned mask = (1u << (b - 1)) - 1;
    cells.codes.reserve(bitCount / b);
    for (std::uint64_t p = 0; p < bitCount - b; p += b) {
        // The first bit of a cell is the least significant of its code.
        const std::uint32_t v = readTrackBits(bytes, p, b);
        unsigned code = 0;
        for (unsigned j = 0; j < b; ++j)
            code |= ((v >> j) & 1u) << (b - 1 - j);
        cells.codes.push_back(static_cast<char>(((code & mask) + offset) % 256));
    }
    cells.lrc = readTrackBits(bytes, bitCount - b, b);
    cells.result = TrackCharacters::Decoded;
    return cells;
}

std::vector<bool> encodeTrackCharacters(const std::string& text, unsigned bitsPerChar) {
    std::vector<bool> bits;
    if (bitsPerChar < 2 || bitsPerChar > 8)
        return bits;
    const unsigned dataBits = bitsPerChar - 1;
    const unsigned offset = trackCharacterOffset(bitsPerChar);
    bits.reserve((text.size() + 1) * bitsPerChar);
    auto cell = [&](unsigned code) {
        unsigned ones = 0;
        for (unsigned i = 0; i < dataBits; ++i) {
            const bool bit = (code >> i) & 1u;
            ones += bit;
            bits.push_back(bit);
        }
        bits.push_back(ones % 2 == 0); // odd parity
    };
    unsigned lrc = 0;
    for (char ch : text) {
        const unsigned c = static_cast<unsigned char>(ch);
        const unsigned code = c < offset || c - offset >= (1u << dataBits) ? 0 : c - offset;
        lrc ^= code;
        cell(code);
    }
    cell(lrc);
    return bits;
}

} // namespace Orvane
