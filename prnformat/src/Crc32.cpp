#include <prnformat/Crc32.h>

#include <array>

#ifdef KALYX_HAVE_ISAL
#include <isa-l/crc.h>
#endif

namespace Orvane {
namespace crc32detail {
namespace {

constexpr std::uint32_t kPoly = 0x04C11DB7u;

// tables[0] is the classic byte table; tables[k][b] is the register contribution of byte b
// followed by k zero bytes, which lets the slicing loop fold 16 bytes per step.
struct Tables {
    std::array<std::array<std::uint32_t, 256>, 16> t{};
    constexpr Tables() {
        for (std::uint32_t b = 0; b < 256; ++b) {
            std::uint32_t r = b << 24;
            for (int i = 0; i < 8; ++i)
                r = (r & 0x80000000u) ? (r << 1) ^ kPoly : r << 1;
            t[0][b] = r;
        }
        for (std::size_t k = 1; k < 16; ++k)
            for (std::size_t b = 0; b < 256; ++b)
                t[k][b] = (t[k - 1][b] << 8) ^ t[0][t[k - 1][b] >> 24];
    }
};

constexpr Tables kTables;

inline std::uint32_t loadBe32(const unsigned char* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

} // namespace

std::uint32_t updateTable(std::uint32_t reg, const unsigned char* data, std::size_t size) {
    const auto& t0 = kTables.t[0];
    for (std::size_t i = 0; i < size; ++i)
        reg = (reg << 8) ^ t0[(reg >> 24) ^ data[i]];
    return reg;
}

std::uint32_t updateSlicing16(std::uint32_t reg, const unsigned char* data, std::size_t size) {
    const auto& t = kTables.t;
    while (size >= 16) {
        const std::uint32_t a = loadBe32(data) ^ reg;
        const std::uint32_t b = loadBe32(data + 4);
        const std::uint32_t c = loadBe32(data + 8);
        const std::uint32_t d = loadBe32(data + 12);
        reg = t[15][a >> 24] ^ t[14][(a >> 16) & 0xFF] ^ t[13][(a >> 8) & 0xFF] ^ t[12][a & 0xFF] ^
              t[11][b >> 24] ^ t[10][(b >> 16) & 0xFF] ^ t[9][(b >> 8) & 0xFF] ^ t[8][b & 0xFF] ^
              t[7][c >> 24] ^ t[6][(c >> 16) & 0xFF] ^ t[5][(c >> 8) & 0xFF] ^ t[4][c & 0xFF] ^
              t[3][d >> 24] ^ t[2][(d >> 16) & 0xFF] ^ t[1][(d >> 8) & 0xFF] ^ t[0][d & 0xFF];
        data += 16;
        size -= 16;
    }
    return updateTable(reg, data, size);
}

bool updateAccelerated(std::uint32_t& reg, const unsigned char* data, std::size_t size) {
#ifdef KALYX_HAVE_ISAL
    // ISA-L's seed is the complemented register and its result is complemented again; it takes
    // 64-bit lengths, so any buffer goes through in one call.
    reg = ~crc32_ieee(~reg, data, size);
    return true;
#else
    (void)reg;
    (void)data;
    (void)size;
    return false;
#endif
}

} // namespace crc32detail

void Crc32::update(const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    if (size == 0)
        return;
    if (!crc32detail::updateAccelerated(reg_, p, size))
        reg_ = crc32detail::updateSlicing16(reg_, p, size);
}

std::uint32_t crc32(const void* data, std::size_t size) {
    Crc32 c;
    c.update(data, size);
    return c.value();
}

} // namespace Orvane
