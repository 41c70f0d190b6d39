#pragma once

#include "PrnMessage.h"

#include <kalyxcomms/Types.h>

#include <prnformat/JobFrame.h>
#include <prnformat/JobLayout.h>

#include <cstddef>
#include <vector>

namespace Orvane {

// The document has side-options before mag-options, and the payload follows it.
constexpr BlockOrder kComposedBlockOrder = BlockOrder::PlanesFirst;

// A composed job before framing. The payload is described rather than copied: every plane of the
// caller's ImageData in order, then the packed track bytes, so a caller can move the bytes once.
struct ComposedJob {
    pugi::xml_document document;
    std::vector<const std::vector<unsigned char>*> planes;
    std::vector<unsigned char> trackBytes;
    // Where each plane and track lies in the payload (a track without options included).
    std::vector<JobBlock> blocks;

    std::size_t payloadSize() const;
    // Appends the whole payload (planes, then tracks) to `out`.
    void appendPayload(std::vector<unsigned char>& out) const;
    // Hands the whole payload (planes, then tracks) to the frame.
    bool writePayload(FrameWriter& frame) const;
};

// Builds the job document and lists its payload; sides before magnetic data, planes before tracks.
void composeJob(const PrintOptions& options, const ImageData& images, const MagData& mag,
                ComposedJob& job);

} // namespace Orvane
