#include <prnformat/JobLayout.h>
#include <prnformat/Panels.h>

#include <gtest/gtest.h>

using namespace Orvane;

namespace {

JobBlock plane(int side, char panel, unsigned xDensity) {
    JobBlock block;
    block.side = side;
    block.panel = panel;
    block.xDensity = xDensity;
    block.size = planeSize(1013, 642, xDensity);
    return block;
}

JobBlock track(int number, unsigned numBits) {
    JobBlock block;
    block.kind = JobBlock::Track;
    block.track = number;
    block.numBits = numBits;
    block.size = trackSize(numBits);
    return block;
}

std::vector<std::int64_t> offsets(const std::vector<JobBlock>& blocks) {
    std::vector<std::int64_t> result;
    for (const JobBlock& block : blocks)
        result.push_back(block.offset);
    return result;
}

} // namespace

TEST(JobLayout, SizesOfPlanesAndTracks) {
    EXPECT_EQ(planeSize(1013, 642, 0), 650346);
    EXPECT_EQ(planeSize(1013, 642, 300), 650346);
    EXPECT_EQ(planeSize(2026, 642, 600), 2 * 2026 * 642);
    EXPECT_EQ(trackSize(1), 1);
    EXPECT_EQ(trackSize(8), 1);
    EXPECT_EQ(trackSize(9), 2);
    EXPECT_EQ(trackSize(75), 10);
}

TEST(JobLayout, EachOrderPlacesItsFirstGroupAtTheStartAndKeepsDocumentOrder) {
    // Blocks in document order, the groups interleaved as a header may list them.
    const std::vector<JobBlock> blocks = {plane(1, 'k', 300), track(2, 75), plane(0, 'y', 600),
                                          track(1, 9)};
    const std::int64_t single = 650346;

    std::vector<JobBlock> tracksFirst = blocks;
    EXPECT_EQ(placeBlocks(tracksFirst, BlockOrder::TracksFirst), 3 * single + 12);
    EXPECT_EQ(offsets(tracksFirst), (std::vector<std::int64_t>{12, 0, 12 + single, 10}));

    std::vector<JobBlock> planesFirst = blocks;
    EXPECT_EQ(placeBlocks(planesFirst, BlockOrder::PlanesFirst), 3 * single + 12);
    EXPECT_EQ(offsets(planesFirst),
              (std::vector<std::int64_t>{0, 3 * single, single, 3 * single + 10}));
}

TEST(JobLayout, WithOneGroupOnlyBothOrdersAgree) {
    for (const std::vector<JobBlock>& blocks :
         {std::vector<JobBlock>{plane(0, 'c', 0), plane(0, 'k', 600)},
          std::vector<JobBlock>{track(3, 40), track(1, 7)}, std::vector<JobBlock>{}}) {
        std::vector<JobBlock> a = blocks, b = blocks;
        EXPECT_EQ(placeBlocks(a, BlockOrder::TracksFirst), placeBlocks(b, BlockOrder::PlanesFirst));
        EXPECT_EQ(offsets(a), offsets(b));
    }
}

TEST(Panels, LettersAndTheirNumbers) {
    for (int p = 0; p < kPanelCount; ++p)
        EXPECT_EQ(panelIndex(kPanelLetters[p]), p);
    EXPECT_EQ(panelIndex('\0'), -1);
    EXPECT_EQ(panelIndex('Y'), -1);
    EXPECT_EQ(kPanelLetters[kPlanePanelCount], 'o'); // the overlay: no plane
}
