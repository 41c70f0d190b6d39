// Which block order a job with tracks is read in: tracks first unless its tracks read cleanly
// only planes first, whatever the planes hold.
#include <prnformat/BlockOrderRecognition.h>
#include <prnformat/TrackBits.h>
#include <prnformat/TrackCharacters.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace Orvane;

namespace {

struct Track {
    int number;
    std::vector<unsigned char> bytes;
    unsigned numBits;
};

Track encoded(int number, const std::string& text, unsigned bitsPerChar) {
    const std::vector<bool> bits = encodeTrackCharacters(text, bitsPerChar);
    Track t{number, {}, unsigned(bits.size())};
    packTrackBits(bits, t.bytes);
    return t;
}

// The binary part and its blocks: the planes are one block of `planes`, the tracks as given.
struct Binary {
    std::vector<unsigned char> bytes;
    std::vector<JobBlock> blocks;
};

Binary lay(const std::vector<unsigned char>& planes, const std::vector<Track>& tracks,
           BlockOrder order) {
    Binary b;
    JobBlock plane;
    plane.kind = JobBlock::Plane;
    plane.size = std::int64_t(planes.size());
    b.blocks.push_back(plane);
    std::vector<unsigned char> trackBytes;
    for (const Track& t : tracks) {
        JobBlock block;
        block.kind = JobBlock::Track;
        block.track = t.number;
        block.numBits = t.numBits;
        block.size = trackSize(t.numBits);
        b.blocks.push_back(block);
        trackBytes.insert(trackBytes.end(), t.bytes.begin(), t.bytes.end());
    }
    const bool tracksFirst = order == BlockOrder::TracksFirst;
    b.bytes = tracksFirst ? trackBytes : planes;
    const std::vector<unsigned char>& second = tracksFirst ? planes : trackBytes;
    b.bytes.insert(b.bytes.end(), second.begin(), second.end());
    return b;
}

RecognisedBlockOrder recognise(const Binary& b) {
    return recogniseBlockOrder(b.bytes.data(), std::int64_t(b.bytes.size()), b.blocks);
}

TEST(BlockOrder, TracksReadCleanlyOnlyWithTheirWholeStructure) {
    EXPECT_TRUE(trackReadsCleanly(1, encoded(1, "%B1^X?", 7).bytes.data(), 49));
    EXPECT_TRUE(trackReadsCleanly(2, encoded(2, ";12=3?", 5).bytes.data(), 35));
    EXPECT_TRUE(trackReadsCleanly(1, encoded(1, "JIS", 8).bytes.data(), 32));
    EXPECT_FALSE(trackReadsCleanly(3, encoded(3, "JIS", 8).bytes.data(), 32)); // 5-bit sets only

    const Track iso = encoded(2, ";12=3?", 5);
    for (unsigned bit = 0; bit < iso.numBits; ++bit) { // any one bit wrong: parity fails
        std::vector<unsigned char> bytes = iso.bytes;
        bytes[bit / 8] ^= 0x80u >> (bit % 8);
        EXPECT_FALSE(trackReadsCleanly(2, bytes.data(), iso.numBits)) << bit;
    }
    EXPECT_FALSE(trackReadsCleanly(2, encoded(2, "12=3?", 5).bytes.data(), 30)); // no start
    EXPECT_FALSE(trackReadsCleanly(2, encoded(2, ";12=3", 5).bytes.data(), 30)); // no end
    std::vector<unsigned char> padded = iso.bytes;
    padded.back() |= 1; // a bit in the padding
    EXPECT_FALSE(trackReadsCleanly(2, padded.data(), iso.numBits));
}

TEST(BlockOrder, TakesPlanesFirstOnlyWhenTheTracksReadCleanlyThereAlone) {
    const std::vector<Track> tracks = {encoded(1, "%B4111^DOE/J^2912?", 7),
                                       encoded(2, ";4111=2912?", 5)};
    const std::vector<unsigned char> planes(600, 0x5A);
    RecognisedBlockOrder found = recognise(lay(planes, tracks, BlockOrder::PlanesFirst));
    EXPECT_EQ(found.order, BlockOrder::PlanesFirst);
    EXPECT_EQ(found.evidence, RecognisedBlockOrder::ReadCleanLast);
    found = recognise(lay(planes, tracks, BlockOrder::TracksFirst));
    EXPECT_EQ(found.order, BlockOrder::TracksFirst);
    EXPECT_EQ(found.evidence, RecognisedBlockOrder::ReadCleanFirst);

    // Plane bytes that end in what reads as the same tracks: tracks first still.
    std::vector<unsigned char> lookalike = planes;
    const Binary real = lay({}, tracks, BlockOrder::TracksFirst);
    std::copy(real.bytes.begin(), real.bytes.end(), lookalike.end() - long(real.bytes.size()));
    found = recognise(lay(lookalike, tracks, BlockOrder::TracksFirst));
    EXPECT_EQ(found.order, BlockOrder::TracksFirst);
    EXPECT_EQ(found.evidence, RecognisedBlockOrder::ReadCleanAtBoth);

    // Raw bits that read cleanly nowhere: tracks first, and said so.
    const std::vector<Track> raw = {{2, {0xFF, 0xFF}, 16}};
    found = recognise(lay(planes, raw, BlockOrder::PlanesFirst));
    EXPECT_EQ(found.order, BlockOrder::TracksFirst);
    EXPECT_EQ(found.evidence, RecognisedBlockOrder::ReadCleanAtNeither);
    EXPECT_EQ(recognise(lay(planes, {}, BlockOrder::TracksFirst)).evidence,
              RecognisedBlockOrder::NoTracks);
}

// Many jobs of either order with encoded tracks of every set and planes of any content: the
// order written is the order read, and the evidence says it was clean.
TEST(BlockOrder, GeneratedJobsReadInTheOrderTheyWereWritten) {
    std::mt19937 random(20261209);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    auto text = [&](const char* set, int length) {
        std::string s;
        for (int i = 0; i < length; ++i)
            s += set[pick(0, int(std::strlen(set)) - 1)];
        return s;
    };
    int flips = 0;
    for (int job = 0; job < 2000; ++job) {
        std::vector<Track> tracks;
        const int which = pick(1, 7); // a non-empty set of the three tracks
        if (which & 1)
            tracks.push_back(
                pick(0, 3) == 0
                    ? encoded(1, text("ABCxyz0123!\x01\x7f", pick(8, 60)), 8)
                    : encoded(1, "%" + text("ABCDEFGHIJ0123456789^/ ", pick(1, 70)) + "?", 7));
        for (int t = 2; t <= 3; ++t)
            if (which & (1 << (t - 1)))
                tracks.push_back(encoded(t, ";" + text("0123456789=", pick(1, 100)) + "?", 5));
        std::vector<unsigned char> planes(std::size_t(pick(1, 40)) * 64);
        const int fill = pick(0, 3); // white, black, noise, or copies of the tracks
        for (std::size_t i = 0; i < planes.size(); ++i)
            planes[i] = fill == 0 ? 0 : fill == 1 ? 255 : (unsigned char)(random());
        if (fill == 3) {
            const Binary real = lay({}, tracks, BlockOrder::TracksFirst);
            if (real.bytes.size() <= planes.size())
                std::copy(real.bytes.begin(), real.bytes.end(),
                          planes.end() - long(real.bytes.size()));
        }
        const BlockOrder written = pick(0, 1) ? BlockOrder::TracksFirst : BlockOrder::PlanesFirst;
        const RecognisedBlockOrder found = recognise(lay(planes, tracks, written));
        flips += found.order != written;
        EXPECT_EQ(found.order, written) << "job " << job;
        EXPECT_NE(found.evidence, RecognisedBlockOrder::ReadCleanAtNeither) << "job " << job;
    }
    EXPECT_EQ(flips, 0);
}

} // namespace
