// The binary part of a job: one block per plane (panels y, m, c and k) and one per magnetic track,
// back to back without gaps or padding. Within each group the blocks follow the document order of
// their elements; which group comes first depends on who wrote the job.
#pragma once

#include <cstdint>
#include <vector>

namespace Orvane {

enum class BlockOrder {
    TracksFirst, // all track data, then the planes: how the document reads a job
    PlanesFirst, // all planes, then the track data: how the library composes one
};

struct JobBlock {
    enum Kind { Track, Plane };
    Kind kind = Plane;
    int side = -1;           // planes: 0 or 1
    char panel = 0;          // planes: 'y', 'm', 'c' or 'k'
    int track = 0;           // tracks: 1, 2 or 3
    unsigned xDensity = 0;   // planes: x-density as written (0 when absent)
    unsigned numBits = 0;    // tracks: num-bits as written
    unsigned bpi = 0;        // tracks: bpi as written
    std::int64_t offset = 0; // from the first byte of the binary part
    std::int64_t size = 0;   // bytes
};

// An x-density of 600 stores two columns per card column.
constexpr bool isDoubleDensity(unsigned xDensity) {
    return xDensity == 600;
}

// One byte per dot, column by column: width x height bytes, twice that at double density.
std::int64_t planeSize(std::uint32_t cardWidth, std::uint32_t cardHeight, unsigned xDensity);
// The bytes that hold a track of `numBits` bits.
std::int64_t trackSize(unsigned numBits);

// Sets the offset of every block from the sizes: the group that `order` puts first starts at 0
// and the other follows it, each group's blocks in the order they have in `blocks`. Returns the
// size of the binary part.
std::int64_t placeBlocks(std::vector<JobBlock>& blocks, BlockOrder order);

} // namespace Orvane
