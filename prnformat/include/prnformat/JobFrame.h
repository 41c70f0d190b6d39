// The frame every job file and every message shares: the header text, one NUL byte, the payload
// and the CRC-32 of all that, stored little-endian. FrameWriter is the one place that assembles
// it; whoever holds the bytes (a vector, a file buffer, a connection) supplies the sink.
//
// A renderer that holds its planes and tracks separately hands them over one by one with
// payload(), in the order the header describes them, without joining them first:
//
//     std::vector<unsigned char> job;
//     Orvane::FrameWriter frame(Orvane::FrameWriter::appendTo(job));
//     frame.header(document);          // serialised raw, followed by the NUL
//     for (const Plane& plane : planes)
//         frame.payload(plane.data(), plane.size());
//     frame.finish();                  // the checksum
#pragma once

#include <prnformat/Crc32.h>

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace Orvane {

class FrameWriter {
public:
    // Takes the next bytes of the frame; false stops the writer (the sink knows why).
    using Sink = std::function<bool(const unsigned char* data, std::size_t size)>;

    explicit FrameWriter(Sink sink) : sink_(std::move(sink)) {}

    // A sink that appends to `out` (which must outlive the writer).
    static Sink appendTo(std::vector<unsigned char>& out);

    // The header text as it is (no NUL inside), then the NUL separator.
    bool header(const void* text, std::size_t size);
    // The document serialised raw in `encoding` (with a declaration when it has none), then the
    // NUL separator.
    bool header(const pugi::xml_document& document,
                pugi::xml_encoding encoding = pugi::encoding_auto);
    // The next piece of the payload; call as often as needed.
    bool payload(const void* data, std::size_t size);
    // The checksum of everything written so far. The writer takes nothing after it.
    bool finish();

    // What a frame of that header and payload size takes in all.
    static std::uint64_t frameSize(std::uint64_t headerSize, std::uint64_t payloadSize) {
        return headerSize + 1 + payloadSize + 4;
    }
    std::uint64_t bytesWritten() const { return written_; }

private:
    bool put(const void* data, std::size_t size);

    Sink sink_;
    Crc32 crc_;
    std::uint64_t written_ = 0;
    bool failed_ = false;
    bool finished_ = false;
};

// The whole frame of `header` and one payload in a new vector.
std::vector<unsigned char> frameOf(const pugi::xml_document& header, const void* payload,
                                   std::size_t payloadSize,
                                   pugi::xml_encoding encoding = pugi::encoding_auto);

} // namespace Orvane
