#include "TestJobs.h"

#include <gtest/gtest.h>

namespace {

// A job with only track data; numBits is written as given (it may be hex or bogus).
Loaded trackJob(int track, const std::string& bits, const std::string& numBits) {
    const EncodedTrack t = bitsFromString(bits);
    const std::string header = "<prn><card><mag-options><track-options track=\"" +
                               std::to_string(track) + "\"><num-bits>" + numBits +
                               "</num-bits><bpi>75</bpi></track-options></mag-options></card>"
                               "</prn>";
    return loadBytes(PrnJobBuilder::frame(QByteArray::fromStdString(header), t.bytes));
}

TEST(Tracks, WorkedExample) {
    // Bytes D4 3F 50, 20 bits: 11010 10000 11111 10101.
    const Loaded job = trackJob(2, "11010100001111110101", "20");
    ASSERT_TRUE(job->isValid());
    EXPECT_EQ(job->trackBitCount(2), 20u);
    EXPECT_EQ(job->trackText(2, 5), QStringLiteral(";1?"));
    EXPECT_EQ(job->trackLrcText(2, 5), QStringLiteral("0x15"));
    // Tracks without data give empty fields.
    EXPECT_TRUE(job->trackText(1, 7).isEmpty());
    EXPECT_TRUE(job->trackLrcText(3, 5).isEmpty());
}

TEST(Tracks, LengthsThatAreNotMultiplesOfTheCell) {
    const Loaded seven = trackJob(1, "1010101", "7");
    EXPECT_EQ(seven->trackText(1, 7), QStringLiteral("Length error!!!"));
    EXPECT_EQ(seven->trackLrcText(1, 7), QStringLiteral("Error"));

    // 14 bits: one character (cell at 0) and the LRC from bits 7 .. 13.
    const Loaded fourteen = trackJob(1,
                                     "1000000"
                                     "0000011",
                                     "14");
    EXPECT_EQ(fourteen->trackText(1, 7), QStringLiteral("!"));
    EXPECT_EQ(fourteen->trackLrcText(1, 7), QStringLiteral("0x3"));

    // 12 bits with 5-bit cells: cells at 0 and 5, LRC from bits 7 .. 11 (shared bits).
    const Loaded twelve = trackJob(2,
                                   "10000"
                                   "01000"
                                   "00",
                                   "12");
    EXPECT_EQ(twelve->trackText(2, 5), QStringLiteral("12"));
    EXPECT_EQ(twelve->trackLrcText(2, 5), QStringLiteral("0x0"));
}

TEST(Tracks, JisCellsKeepSevenDataBits) {
    const Loaded job = trackJob(1,
                                "11111111"
                                "00000000",
                                "16");
    EXPECT_EQ(job->trackText(1, 8), QString(QChar(0x7F)));
    EXPECT_EQ(job->trackLrcText(1, 8), QStringLiteral("0x0"));
    EXPECT_TRUE(job->trackText(1, 9).isEmpty());
    EXPECT_TRUE(job->trackText(1, 0).isEmpty());
}

TEST(Tracks, HexBitCountLoadsButDecodesAsZero) {
    // Loading reads 0x14 as 20 (3 bytes); the tab reads base 10 only.
    const Loaded job = trackJob(2, "11010100001111110101", "0x14");
    ASSERT_TRUE(job->isValid());
    EXPECT_EQ(job->trackBitCount(2), 0u);
    EXPECT_TRUE(job->trackText(2, 5).isEmpty());
    EXPECT_EQ(job->trackLrcText(2, 5), QStringLiteral("0x"));
}

TEST(Tracks, BitCountEditedPastTheDataNeverReadsBeyondIt) {
    const Loaded job = trackJob(3, "11010100001111110101", "20");
    ASSERT_TRUE(
        job.holder->setNodeText("num-bits", "/prn/card/mag-options/track-options", "4000000000"));
    EXPECT_EQ(job->trackText(3, 5), QStringLiteral("Length error!!!"));
    EXPECT_EQ(job->trackLrcText(3, 5), QStringLiteral("Error"));
}

TEST(Tracks, EncodedIsoTextDecodesBack) {
    const QByteArray text = "%B1234^DOE/JANE?";
    const EncodedTrack t = encodeTrack(text, 7);
    PrnJobBuilder builder;
    builder.addTrack(1, t.bytes, t.numBits);
    const Loaded job = loadBytes(builder.build());
    ASSERT_TRUE(job->isValid());
    EXPECT_EQ(job->trackText(1, 7), QString::fromLatin1(text));
    // The LRC cell: the exclusive or of every character's six data bits (here 0x23), recorded
    // least significant bit first and followed by a parity bit that makes the ones odd (0x23
    // has three already); shown as the cell's bits in recording order.
    unsigned lrc = 0;
    for (const char c : text)
        lrc ^= unsigned(c - 0x20);
    unsigned cell = 0;
    for (int bit = 0; bit < 6; ++bit)
        cell = cell << 1 | (lrc >> bit & 1u);
    cell = cell << 1 | (__builtin_popcount(lrc) % 2 == 0 ? 1u : 0u);
    EXPECT_EQ(cell, 0x62u);
    EXPECT_EQ(job->trackLrcText(1, 7), QStringLiteral("0x%1").arg(cell, 0, 16));
}

} // namespace
