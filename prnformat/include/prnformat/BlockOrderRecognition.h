// Which of the two block orders a job with magnetic tracks uses.
//
// Both orders give the binary part the same length, so the header cannot tell them apart: the
// content has to. Tracks carry their own structure and planes do not, so the tracks are read at
// the two places they can be: from the first byte of the binary part (tracks first) and ending at
// its last byte (planes first). A track reads cleanly when it is whole character cells of one of
// the sets the Mag data page shows (ISO 7-bit cells on track 1 or JIS Type II 8-bit cells on
// track 1, ISO 5-bit cells on tracks 2 and 3) with odd parity in every cell, an LRC cell that
// matches, zero padding in its last byte and, for the ISO sets, the start sentinel first and the
// end sentinel just before the LRC. A place reads cleanly when every track does.
//
// The decision:
// - tracks first, unless the tracks read cleanly only at the planes-first place;
// - when neither place reads cleanly (tracks of other encodings, raw bits), tracks first.
// Tracks first stays the default because it is how jobs have always been read and saved by the
// document; a job written planes first by the library's composer carries encoded track texts,
// which read cleanly at its end, and image bytes at its start, which practically never do.
#pragma once

#include <prnformat/JobLayout.h>

#include <cstdint>
#include <vector>

namespace Orvane {

struct RecognisedBlockOrder {
    enum Evidence {
        NoTracks,           // nothing to decide: both orders lay the job out alike
        ReadCleanFirst,     // tracks read cleanly tracks-first only
        ReadCleanLast,      // tracks read cleanly planes-first only
        ReadCleanAtBoth,    // both read cleanly: the default wins
        ReadCleanAtNeither, // neither reads cleanly: the default wins
    };
    BlockOrder order = BlockOrder::TracksFirst;
    Evidence evidence = NoTracks;
};

// Whether the bits of `numBits` in `bytes` (which holds at least trackByteCount(numBits) bytes)
// read cleanly as character cells of track `track` (1, 2 or 3).
bool trackReadsCleanly(int track, const unsigned char* bytes, std::uint64_t numBits);

// `binary` is the binary part of `binarySize` bytes; `blocks` are the job's blocks with their
// sizes (track blocks in document order; plane blocks are not looked at).
RecognisedBlockOrder recogniseBlockOrder(const unsigned char* binary, std::int64_t binarySize,
                                         const std::vector<JobBlock>& blocks);

} // namespace Orvane
