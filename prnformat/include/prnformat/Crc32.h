// CRC-32/BZIP2: polynomial 0x04C11DB7, not reflected, initial register 0xFFFFFFFF, result
// complemented. Protects PRN job files and every protocol message alike.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Orvane {

// Streaming accumulator: feeding a buffer in pieces gives the same value as one pass.
class Crc32 {
public:
    void reset() { reg_ = 0xFFFFFFFFu; }
    void update(const void* data, std::size_t size);
    std::uint32_t value() const { return ~reg_; }

private:
    std::uint32_t reg_ = 0xFFFFFFFFu;
};

// The checksum of one buffer, with the fastest implementation available on this machine.
std::uint32_t crc32(const void* data, std::size_t size);

// The individual implementations, exposed for tests and benchmarks. Each takes and returns the
// raw (uncomplemented) register.
namespace crc32detail {
std::uint32_t updateTable(std::uint32_t reg, const unsigned char* data, std::size_t size);
std::uint32_t updateSlicing16(std::uint32_t reg, const unsigned char* data, std::size_t size);
// Returns false (and leaves reg unchanged) when the build has no hardware-accelerated routine.
bool updateAccelerated(std::uint32_t& reg, const unsigned char* data, std::size_t size);
} // namespace crc32detail

// Little-endian storage of a checksum, as it appears at the end of a job or message.
inline void storeCrcLe(std::uint32_t crc, unsigned char out[4]) {
    out[0] = static_cast<unsigned char>(crc);
    out[1] = static_cast<unsigned char>(crc >> 8);
    out[2] = static_cast<unsigned char>(crc >> 16);
    out[3] = static_cast<unsigned char>(crc >> 24);
}

inline std::uint32_t loadCrcLe(const unsigned char in[4]) {
    return std::uint32_t(in[0]) | std::uint32_t(in[1]) << 8 | std::uint32_t(in[2]) << 16 |
           std::uint32_t(in[3]) << 24;
}

} // namespace Orvane
