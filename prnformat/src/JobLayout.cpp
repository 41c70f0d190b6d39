#include <prnformat/JobLayout.h>
#include <prnformat/TrackBits.h>

namespace Orvane {

std::int64_t planeSize(std::uint32_t cardWidth, std::uint32_t cardHeight, unsigned xDensity) {
    const std::int64_t single = std::int64_t(cardWidth) * cardHeight;
    return isDoubleDensity(xDensity) ? 2 * single : single;
}

std::int64_t trackSize(unsigned numBits) {
    return std::int64_t(trackByteCount(numBits));
}

std::int64_t placeBlocks(std::vector<JobBlock>& blocks, BlockOrder order) {
    const JobBlock::Kind first =
        order == BlockOrder::TracksFirst ? JobBlock::Track : JobBlock::Plane;
    std::int64_t firstGroupSize = 0;
    for (const JobBlock& block : blocks)
        if (block.kind == first)
            firstGroupSize += block.size;
    std::int64_t nextInFirst = 0;
    std::int64_t nextInSecond = firstGroupSize;
    for (JobBlock& block : blocks) {
        std::int64_t& next = block.kind == first ? nextInFirst : nextInSecond;
        block.offset = next;
        next += block.size;
    }
    return nextInSecond;
}

} // namespace Orvane
