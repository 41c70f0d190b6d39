#include <prnformat/BlockOrderRecognition.h>
#include <prnformat/TrackBits.h>
#include <prnformat/TrackCharacters.h>

namespace Orvane {

namespace {

struct CellSet {
    unsigned bits;     // per cell, parity included
    int startSentinel; // data value of the first cell, -1 for none
    int endSentinel;   // data value of the cell before the LRC, -1 for none
};

// ISO alphanumeric: '%' and '?' over 0x20; ISO numeric: ';' and '?' over 0x30; JIS Type II has
// no sentinel required here.
constexpr CellSet isoAlpha{7, '%' - 0x20, '?' - 0x20};
constexpr CellSet isoNumeric{5, ';' - 0x30, '?' - 0x30};
constexpr CellSet jisTypeTwo{8, -1, -1};

bool readsAs(const CellSet& set, const unsigned char* bytes, std::uint64_t numBits) {
    const unsigned b = set.bits;
    // A sentinel pair or one character, and the LRC.
    const std::uint64_t cells = numBits / b;
    if (numBits % b != 0 || cells < (set.startSentinel >= 0 ? 3u : 2u))
        return false;
    unsigned lrc = 0;
    for (std::uint64_t c = 0; c < cells; ++c) {
        const std::uint32_t v = readTrackBits(bytes, c * b, b);
        // The first bit of a cell is the least significant of its code, the last is parity.
        unsigned code = 0, ones = 0;
        for (unsigned j = 0; j < b; ++j) {
            const unsigned bit = (v >> (b - 1 - j)) & 1u;
            ones += bit;
            if (j + 1 < b)
                code |= bit << j;
        }
        if (ones % 2 == 0)
            return false;
        if (c == 0 && set.startSentinel >= 0 && code != unsigned(set.startSentinel))
            return false;
        if (c + 2 == cells && set.endSentinel >= 0 && code != unsigned(set.endSentinel))
            return false;
        if (c + 1 == cells)
            return code == lrc;
        lrc ^= code;
    }
    return false;
}

bool paddingIsZero(const unsigned char* bytes, std::uint64_t numBits) {
    const unsigned used = unsigned(numBits % 8);
    return used == 0 || (bytes[numBits / 8] & (0xFFu >> used)) == 0;
}

bool tracksReadCleanlyAt(const unsigned char* binary, std::int64_t binarySize,
                         const std::vector<JobBlock>& tracks, std::int64_t start) {
    if (start < 0)
        return false;
    std::int64_t at = start;
    for (const JobBlock& track : tracks) {
        if (track.size != trackSize(track.numBits) || at + track.size > binarySize)
            return false;
        if (!trackReadsCleanly(track.track, binary + at, track.numBits))
            return false;
        at += track.size;
    }
    return true;
}

} // namespace

bool trackReadsCleanly(int track, const unsigned char* bytes, std::uint64_t numBits) {
    if (numBits == 0 || !paddingIsZero(bytes, numBits))
        return false;
    if (track == 1)
        return readsAs(isoAlpha, bytes, numBits) || readsAs(jisTypeTwo, bytes, numBits);
    return (track == 2 || track == 3) && readsAs(isoNumeric, bytes, numBits);
}

RecognisedBlockOrder recogniseBlockOrder(const unsigned char* binary, std::int64_t binarySize,
                                         const std::vector<JobBlock>& blocks) {
    std::vector<JobBlock> tracks;
    std::int64_t trackBytes = 0;
    for (const JobBlock& block : blocks)
        if (block.kind == JobBlock::Track) {
            tracks.push_back(block);
            trackBytes += block.size;
        }
    RecognisedBlockOrder found;
    if (tracks.empty())
        return found;
    const bool first = tracksReadCleanlyAt(binary, binarySize, tracks, 0);
    const bool last = tracksReadCleanlyAt(binary, binarySize, tracks, binarySize - trackBytes);
    if (last && !first) {
        found.order = BlockOrder::PlanesFirst;
        found.evidence = RecognisedBlockOrder::ReadCleanLast;
    } else {
        found.evidence = first && last ? RecognisedBlockOrder::ReadCleanAtBoth
                         : first       ? RecognisedBlockOrder::ReadCleanFirst
                                       : RecognisedBlockOrder::ReadCleanAtNeither;
    }
    return found;
}

} // namespace Orvane
