#include <prnformat/Crc32.h>
#include <prnformat/JobFrame.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orvane;

namespace {

// The frame as the format defines it, built by hand.
std::vector<unsigned char> expectedFrame(const std::string& header, const std::string& payload) {
    std::vector<unsigned char> out(header.begin(), header.end());
    out.push_back(0);
    out.insert(out.end(), payload.begin(), payload.end());
    unsigned char crc[4];
    storeCrcLe(crc32(out.data(), out.size()), crc);
    out.insert(out.end(), crc, crc + 4);
    return out;
}

} // namespace

TEST(JobFrame, PiecesGiveTheFrameOfTheWhole) {
    const struct {
        const char* name;
        std::string header;
        std::vector<std::string> pieces;
    } cases[] = {
        {"no payload", "<prn/>", {}},
        {"empty pieces", "<prn/>", {"", "", ""}},
        {"one piece", "<prn><card/></prn>", {std::string("\x01\x00\xff", 3)}},
        {"planes then tracks", "<prn/>", {std::string(1013, 'y'), std::string(1013, 'k'), "\x55"}},
        {"empty header", "", {"abc"}},
    };
    for (const auto& c : cases) {
        std::vector<unsigned char> out;
        FrameWriter frame(FrameWriter::appendTo(out));
        ASSERT_TRUE(frame.header(c.header.data(), c.header.size())) << c.name;
        std::string whole;
        for (const std::string& piece : c.pieces) {
            ASSERT_TRUE(frame.payload(piece.data(), piece.size())) << c.name;
            whole += piece;
        }
        ASSERT_TRUE(frame.finish()) << c.name;
        EXPECT_EQ(out, expectedFrame(c.header, whole)) << c.name;
        EXPECT_EQ(frame.bytesWritten(), out.size()) << c.name;
        EXPECT_EQ(FrameWriter::frameSize(c.header.size(), whole.size()), out.size()) << c.name;
        EXPECT_FALSE(frame.payload("x", 1)) << c.name << ": nothing is taken after the checksum";
        EXPECT_FALSE(frame.finish()) << c.name;
    }
}

TEST(JobFrame, DocumentHeaderIsWrittenRawAndASinkFailureStopsTheWriter) {
    pugi::xml_document document;
    document.append_child("prn").append_child("card").text().set("a b");
    const std::vector<unsigned char> framed = frameOf(document, "PL", 2);
    EXPECT_EQ(framed, expectedFrame("<?xml version=\"1.0\"?><prn><card>a b</card></prn>", "PL"));

    int calls = 0;
    FrameWriter refusing([&calls](const unsigned char*, std::size_t) { return ++calls < 3; });
    EXPECT_TRUE(refusing.header("<prn/>", 6));
    EXPECT_FALSE(refusing.payload("x", 1)) << "the sink refused the payload";
    EXPECT_FALSE(refusing.payload("y", 1));
    EXPECT_FALSE(refusing.finish());
    EXPECT_EQ(calls, 3) << "nothing reaches a sink after it refused";
}
