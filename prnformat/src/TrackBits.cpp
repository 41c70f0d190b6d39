#include <prnformat/TrackBits.h>

namespace Orvane {

void packTrackBits(const std::vector<bool>& bits, std::vector<unsigned char>& out) {
    const std::size_t start = out.size();
    out.resize(start + trackByteCount(bits.size()), 0);
    for (std::size_t i = 0; i < bits.size(); ++i)
        if (bits[i])
            out[start + i / 8] |= static_cast<unsigned char>(0x80u >> (i % 8));
}

std::vector<bool> unpackTrackBits(const unsigned char* bytes, std::size_t bitCount) {
    std::vector<bool> bits(bitCount);
    for (std::size_t i = 0; i < bitCount; ++i)
        bits[i] = (bytes[i / 8] >> (7 - i % 8)) & 1u;
    return bits;
}

std::uint32_t readTrackBits(const unsigned char* bytes, std::uint64_t first, unsigned count) {
    std::uint32_t value = 0;
    for (std::uint64_t bit = first; bit < first + count; ++bit)
        value = value << 1 | ((bytes[bit / 8] >> (7 - bit % 8)) & 1u);
    return value;
}

} // namespace Orvane
