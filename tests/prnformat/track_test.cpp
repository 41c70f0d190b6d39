#include <prnformat/TrackBits.h>
#include <prnformat/TrackCharacters.h>

#include <gtest/gtest.h>

#include <random>

using namespace Orvane;

namespace {

std::vector<bool> bitsOf(const std::string& text) {
    std::vector<bool> bits;
    for (char c : text)
        if (c == '0' || c == '1')
            bits.push_back(c == '1');
    return bits;
}

std::vector<unsigned char> packed(const std::vector<bool>& bits) {
    std::vector<unsigned char> bytes;
    packTrackBits(bits, bytes);
    return bytes;
}

TrackCharacters decode(const std::vector<bool>& bits, unsigned bitsPerChar) {
    const std::vector<unsigned char> bytes = packed(bits);
    return decodeTrackCharacters(bytes.data(), bytes.size(), bits.size(), bitsPerChar);
}

} // namespace

TEST(TrackBits, PackedMostSignificantBitFirstAndBack) {
    std::vector<unsigned char> bytes{0xAA}; // packing appends
    packTrackBits(bitsOf("11010 10000 11111 10101"), bytes);
    EXPECT_EQ(bytes, (std::vector<unsigned char>{0xAA, 0xD4, 0x3F, 0x50}));
    EXPECT_EQ(readTrackBits(bytes.data() + 1, 15, 5), 0x15u);
    EXPECT_EQ(readTrackBits(bytes.data() + 1, 4, 8), 0x43u); // across a byte boundary

    std::mt19937 random(7);
    for (std::size_t n = 0; n <= 40; ++n) {
        std::vector<bool> bits(n);
        for (std::size_t i = 0; i < n; ++i)
            bits[i] = random() & 1u;
        const std::vector<unsigned char> bytes = packed(bits);
        ASSERT_EQ(bytes.size(), trackByteCount(n));
        if (n % 8 != 0) { // the unused low bits of the last byte stay 0
            EXPECT_EQ(bytes.back() & (0xFFu >> (n % 8)), 0u) << n;
        }
        EXPECT_EQ(unpackTrackBits(bytes.data(), n), bits) << n;
    }
}

TEST(TrackCharacters, CellsReadLeastSignificantBitFirstAndTheLrcAsStored) {
    const TrackCharacters iso2 = decode(bitsOf("11010 10000 11111 10101"), 5);
    EXPECT_EQ(iso2.result, TrackCharacters::Decoded);
    EXPECT_EQ(iso2.codes, ";1?");
    EXPECT_EQ(iso2.lrc, 0x15u);

    // 12 bits of 5-bit cells: characters at 0 and 5, the LRC from bits 7 to 11.
    const TrackCharacters shared = decode(bitsOf("10000 01000 01"), 5);
    EXPECT_EQ(shared.codes, "12");
    EXPECT_EQ(shared.lrc, 0x01u);

    // JIS: seven data bits all 1 give 0x7F; the parity bit never reaches the character.
    const TrackCharacters jis = decode(bitsOf("11111111 00000000"), 8);
    EXPECT_EQ(jis.codes, std::string(1, '\x7F'));
    EXPECT_EQ(jis.lrc, 0u);
}

TEST(TrackCharacters, EncodedTextDecodesBackWithItsLrc) {
    const std::string iso1 = "%B1234^DOE/JANE^29?";
    const std::vector<bool> bits = encodeTrackCharacters(iso1, 7);
    ASSERT_EQ(bits.size(), (iso1.size() + 1) * 7);
    const TrackCharacters cells = decode(bits, 7);
    EXPECT_EQ(cells.codes, iso1);
    // The LRC cell is the cell of the exclusive or of all codes, parity included.
    unsigned lrc = 0;
    for (char c : iso1)
        lrc ^= unsigned(c) - 0x20;
    const std::vector<unsigned char> lrcCell = packed(encodeTrackCharacters({char(lrc + 0x20)}, 7));
    EXPECT_EQ(cells.lrc, readTrackBits(lrcCell.data(), 0, 7));

    // Outside the set of 5-bit cells: written as '0'.
    EXPECT_EQ(decode(encodeTrackCharacters(";1A2?", 5), 5).codes, ";102?");
    EXPECT_TRUE(encodeTrackCharacters("1", 1).empty());
    EXPECT_TRUE(encodeTrackCharacters("1", 9).empty());
}

TEST(TrackCharacters, ParityAndLrcErrorsAreShownNotRejected) {
    std::vector<bool> bits = encodeTrackCharacters(";12?", 5);
    const std::uint32_t goodLrc = decode(bits, 5).lrc;
    bits[4] = !bits[4];                             // the parity bit of the first cell
    bits[bits.size() - 3] = !bits[bits.size() - 3]; // a data bit of the LRC cell
    const TrackCharacters damaged = decode(bits, 5);
    EXPECT_EQ(damaged.result, TrackCharacters::Decoded);
    EXPECT_EQ(damaged.codes, ";12?");
    EXPECT_EQ(damaged.lrc, goodLrc ^ 0x04u);
}

TEST(TrackCharacters, WidthsAndLengthsThatCannotBeRead) {
    const std::vector<bool> seven = bitsOf("1010101");
    EXPECT_EQ(decode(seven, 0).result, TrackCharacters::BadCellWidth);
    EXPECT_EQ(decode(seven, 9).result, TrackCharacters::BadCellWidth);
    EXPECT_EQ(decode({}, 5).result, TrackCharacters::NoBits);
    EXPECT_EQ(decode(seven, 7).result, TrackCharacters::LengthError); // one cell, no characters
    EXPECT_EQ(decode(bitsOf("1010101 0"), 7).result, TrackCharacters::Decoded);
    // A bit count the bytes cannot hold is never read past the bytes.
    const unsigned char one = 0xFF;
    EXPECT_EQ(decodeTrackCharacters(&one, 1, 9, 5).result, TrackCharacters::LengthError);
    EXPECT_EQ(decodeTrackCharacters(&one, 1, 8, 5).result, TrackCharacters::Decoded);
}
