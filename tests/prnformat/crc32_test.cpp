#include <prnformat/Crc32.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

using namespace Orvane;

namespace {

std::vector<unsigned char> randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<unsigned char> v(n);
    for (auto& b : v)
        b = static_cast<unsigned char>(rng());
    return v;
}

} // namespace

TEST(Crc32, PublishedCheckValueAndEmptyInput) {
    EXPECT_EQ(crc32("123456789", 9), 0xFC891918u);
    EXPECT_EQ(crc32("", 0), 0u);
    unsigned char le[4];
    storeCrcLe(0xFC891918u, le);
    EXPECT_EQ(std::memcmp(le, "\x18\x19\x89\xFC", 4), 0);
    EXPECT_EQ(loadCrcLe(le), 0xFC891918u);
}

TEST(Crc32, EveryImplementationAgreesWithTheByteLoop) {
    const auto data = randomBytes(70000, 1);
    for (std::size_t offset : {0u, 3u, 6u}) {
        for (std::size_t len = 0; len <= 600; ++len) {
            const unsigned char* p = data.data() + offset;
            const std::uint32_t ref = crc32detail::updateTable(0xFFFFFFFFu, p, len);
            ASSERT_EQ(crc32detail::updateSlicing16(0xFFFFFFFFu, p, len), ref) << len;
            std::uint32_t acc = 0xFFFFFFFFu;
            if (crc32detail::updateAccelerated(acc, p, len)) {
                ASSERT_EQ(acc, ref) << len;
            }
        }
    }
    const std::uint32_t whole = ~crc32detail::updateTable(0xFFFFFFFFu, data.data(), data.size());
    EXPECT_EQ(crc32(data.data(), data.size()), whole);
}

TEST(Crc32, PiecesEqualOnePass) {
    const auto data = randomBytes(100000, 2);
    Crc32 acc;
    std::size_t pos = 0;
    const std::size_t steps[] = {1, 4, 13, 40, 4096, 7, 65536};
    for (std::size_t i = 0; pos < data.size(); ++i) {
        const std::size_t n = std::min(steps[i % 7], data.size() - pos);
        acc.update(data.data() + pos, n);
        pos += n;
    }
    EXPECT_EQ(acc.value(), crc32(data.data(), data.size()));
    acc.reset();
    EXPECT_EQ(acc.value(), 0u);
}

TEST(Crc32, DetectsASingleFlippedBit) {
    auto data = randomBytes(5000, 3);
    const std::uint32_t before = crc32(data.data(), data.size());
    data[2500] ^= 0x10;
    EXPECT_NE(crc32(data.data(), data.size()), before);
}
