// Composed print jobs: document shape, payload order, and the bytes sent versus returned.
#include "JobComposer.h"
#include "ScriptedSession.h"
#include "WireFrame.h"

#include <kalyxcomms/Printer.h>

#include <prnformat/Panels.h>

#include <gtest/gtest.h>

using namespace Orvane;
using namespace kalyxtest;

namespace {

struct Job {
    PrintOptions options;
    ImageData images;
    MagData mag;
};

Frame toMem(const Job& job) {
    Printer printer(std::make_unique<ScriptedSession>());
    std::vector<unsigned char> out;
    EXPECT_TRUE(printer.printCardToMem(job.options, job.images, job.mag, out));
    return Frame(std::string(out.begin(), out.end()));
}

std::vector<bool> repeatingBits(std::size_t count) {
    std::vector<bool> bits(count);
    for (std::size_t i = 0; i < count; ++i)
        bits[i] = (i % 3) == 0;
    return bits;
}

// Two sides of y, c and o panels, and one track.
Job twoSidesAndATrack() {
    Job job;
    for (int side : {1, 0}) {
        job.options.sides[side].emplace();
        for (int panel : {PanelO, PanelC, PanelY})
            (*job.options.sides[side])[panel] = OptionMap{};
        job.images.planes[side][PanelY] = {static_cast<unsigned char>('a' + side * 2)};
        job.images.planes[side][PanelC] = {static_cast<unsigned char>('b' + side * 2)};
    }
    job.options.magOptions = OptionMap{{"coercivity", "high"}};
    job.options.trackOptions[0] = OptionMap{{"bpi", "210"}};
    job.mag.tracks[0] = {true, false, true};
    return job;
}

} // namespace

TEST(Compose, OneSidedBlackJob) {
    Job job;
    job.options.cardOptions = {{"width", "1013"}, {"image-format", "orvane"}, {"height", "642"}};
    job.options.sides[0].emplace();
    (*job.options.sides[0])[PanelK] = OptionMap{{"x-density", "300"}};
    job.images.planes[0][PanelK].assign(650346, 0x80);
    job.images.planes[0][PanelY].assign(3, 0x11); // no y panel: not written

    const Frame request = toMem(job);
    EXPECT_TRUE(request.crcOk());
    EXPECT_EQ(request.textWithoutTime(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><prn><card><card-options><height>642"
              "</height><image-format>orvane</image-format><width>1013</width></card-options>"
              "<side-options side=\"0\"><panel-options panel=\"k\"><x-density>300</x-density>"
              "</panel-options></side-options></card><binary-size>650346</binary-size><time>"
              "</time></prn>");
    EXPECT_EQ(request.payload, std::string(650346, '\x80'));
}

TEST(Compose, PlanesInSideAndPanelOrderThenTracks) {
    const Job job = twoSidesAndATrack();
    const Frame request = toMem(job);
    EXPECT_EQ(request.payload, "abcd\xA0");
    const std::string header = request.textWithoutTime();
    EXPECT_NE(header.find("<side-options side=\"0\"><panel-options panel=\"y\"/><panel-options "
                          "panel=\"c\"/><panel-options panel=\"o\"/></side-options>"
                          "<side-options side=\"1\">"),
              std::string::npos)
        << header;
    EXPECT_NE(header.find("</side-options><mag-options><coercivity>high</coercivity>"
                          "<track-options track=\"1\"><bpi>210</bpi><num-bits>3</num-bits>"
                          "</track-options></mag-options></card>"),
              std::string::npos)
        << header;
}

TEST(Compose, TheBlockLayoutDescribesThePayload) {
    const Job job = twoSidesAndATrack();
    ComposedJob composed;
    composeJob(job.options, job.images, job.mag, composed);
    std::vector<unsigned char> payload;
    composed.appendPayload(payload);
    ASSERT_EQ(composed.payloadSize(), payload.size());
    ASSERT_EQ(composed.blocks.size(), 5u);
    for (const JobBlock& block : composed.blocks) {
        const auto at = payload.begin() + block.offset;
        const std::vector<unsigned char> bytes(at, at + block.size);
        if (block.kind == JobBlock::Plane)
            EXPECT_EQ(bytes, job.images.planes[block.side][panelIndex(block.panel)]);
        else
            EXPECT_EQ(bytes, std::vector<unsigned char>{0xA0});
    }
}

TEST(Compose, TrackBitsArePackedAndDescribed) {
    Job job;
    job.options.magOptions = OptionMap{};
    job.options.trackOptions[1] = OptionMap{{"num-bits", "1"}}; // the caller's is kept, first
    job.options.trackOptions[2] = OptionMap{};                  // empty track: nothing at all
    job.mag.tracks[0] = {true, true};                           // no options: bytes only
    job.mag.tracks[1] = repeatingBits(75);

    const Frame request = toMem(job);
    ASSERT_EQ(request.payload.size(), 1u + 10u);
    EXPECT_EQ(static_cast<unsigned char>(request.payload[0]), 0xC0);
    // bits 0, 3, 6, ... set: 1001 0010 0100 1001 ... ; bits 72..74 are 1,0,0
    EXPECT_EQ(static_cast<unsigned char>(request.payload[1]), 0x92);
    EXPECT_EQ(static_cast<unsigned char>(request.payload[10]), 0x80);
    EXPECT_NE(request.text.find("<mag-options><track-options track=\"2\"><num-bits>1</num-bits>"
                                "<num-bits>75</num-bits></track-options></mag-options>"),
              std::string::npos)
        << request.text;
}

TEST(Compose, WithoutMagneticOptionsTrackBitsAreIgnored) {
    Job job;
    job.options.trackOptions[0] = OptionMap{};
    job.mag.tracks[0] = {true};
    const Frame request = toMem(job);
    EXPECT_TRUE(request.payload.empty());
    EXPECT_EQ(request.textWithoutTime(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><prn><card><card-options/></card>"
              "<binary-size>0</binary-size><time></time></prn>");
}

TEST(Compose, ToMemAppendsAfterExistingBytesAndMatchesWhatIsSent) {
    Job job;
    job.options.sides[1].emplace();
    (*job.options.sides[1])[PanelM] = OptionMap{{"power-adjust", "-3 < 4"}};
    job.images.planes[1][PanelM] = {0, 1, 2, 3};

    auto owned = std::make_unique<ScriptedSession>();
    ScriptedSession* session = owned.get();
    Printer printer(std::move(owned));
    std::vector<unsigned char> out = {1, 2, 3, 4, 5};
    ASSERT_TRUE(printer.printCardToMem(job.options, job.images, job.mag, out));
    ASSERT_TRUE(printer.printCard(job.options, job.images, job.mag));

    ASSERT_GT(out.size(), 5u);
    EXPECT_EQ(std::vector<unsigned char>(out.begin(), out.begin() + 5),
              (std::vector<unsigned char>{1, 2, 3, 4, 5}));
    const Frame kept(std::string(out.begin() + 5, out.end()));
    const Frame sent(session->written);
    EXPECT_TRUE(kept.crcOk());
    EXPECT_TRUE(sent.crcOk());
    EXPECT_EQ(kept.textWithoutTime(), sent.textWithoutTime());
    EXPECT_EQ(kept.payload, sent.payload);
    EXPECT_NE(sent.text.find("-3 &lt; 4"), std::string::npos);
    EXPECT_EQ(session->readCalls, 0) << "no answer is awaited";
}

TEST(Compose, AFailedWriteFailsThePrint) {
    {
        auto owned = std::make_unique<ScriptedSession>();
        owned->failWriteCall = 1; // an empty job leaves in one write
        Printer printer(std::move(owned));
        EXPECT_FALSE(printer.printCard({}, {}, {}));
    }
    Job job;
    job.options.sides[0].emplace();
    (*job.options.sides[0])[PanelK] = OptionMap{};
    job.images.planes[0][PanelK].assign(650346, 0x80);
    auto owned = std::make_unique<ScriptedSession>();
    owned->failWriteCall = 3; // the CRC after a full-size plane
    Printer printer(std::move(owned));
    EXPECT_FALSE(printer.printCard(job.options, job.images, job.mag));
}
