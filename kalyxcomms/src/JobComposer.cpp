#include "JobComposer.h"

#include <prnformat/Panels.h>
#include <prnformat/TrackBits.h>

namespace Orvane {

namespace {

void appendOptions(pugi::xml_node parent, const OptionMap& options) {
    for (const auto& [name, value] : options)
        parent.append_child(name.c_str()).text().set(value.c_str());
}

void appendSides(const PrintOptions& options, const ImageData& images, pugi::xml_node card,
                 ComposedJob& job) {
    for (int side = 0; side < 2; ++side) {
        const auto& panels = options.sides[side];
        if (!panels)
            continue;
        pugi::xml_node sideNode = card.append_child("side-options");
        sideNode.append_attribute("side") = side;
        for (int panel = 0; panel < kPanelCount; ++panel) {
            const auto& panelOptions = (*panels)[panel];
            if (!panelOptions)
                continue;
            pugi::xml_node panelNode = sideNode.append_child("panel-options");
            const char letter[2] = {kPanelLetters[panel], '\0'};
            panelNode.append_attribute("panel") = letter;
            appendOptions(panelNode, *panelOptions);
            if (panel >= kPlanePanelCount)
                continue; // the overlay has no plane
            const std::vector<unsigned char>& plane = images.planes[side][panel];
            job.planes.push_back(&plane);
            JobBlock block;
            block.side = side;
            block.panel = kPanelLetters[panel];
            block.size = static_cast<std::int64_t>(plane.size());
            job.blocks.push_back(block);
        }
    }
}

void appendTracks(const PrintOptions& options, const MagData& mag, pugi::xml_node card,
                  ComposedJob& job) {
    if (!options.magOptions)
        return;
    pugi::xml_node magNode = card.append_child("mag-options");
    appendOptions(magNode, *options.magOptions);
    for (int track = 0; track < 3; ++track) {
        const std::vector<bool>& bits = mag.tracks[track];
        if (bits.empty())
            continue;
        if (const auto& trackOptions = options.trackOptions[track]) {
            pugi::xml_node trackNode = magNode.append_child("track-options");
            trackNode.append_attribute("track") = track + 1;
            appendOptions(trackNode, *trackOptions);
            trackNode.append_child("num-bits")
                .text()
                .set(static_cast<unsigned long long>(bits.size()));
        }
        packTrackBits(bits, job.trackBytes);
        JobBlock block;
        block.kind = JobBlock::Track;
        block.track = track + 1;
        block.numBits = static_cast<unsigned>(bits.size());
        block.size = trackSize(block.numBits);
        job.blocks.push_back(block);
    }
}

} // namespace

std::size_t ComposedJob::payloadSize() const {
    std::size_t size = 0;
    for (const JobBlock& block : blocks)
        size += static_cast<std::size_t>(block.size);
    return size;
}

void ComposedJob::appendPayload(std::vector<unsigned char>& out) const {
    FrameWriter collect(FrameWriter::appendTo(out));
    writePayload(collect);
}

bool ComposedJob::writePayload(FrameWriter& frame) const {
    static_assert(kComposedBlockOrder == BlockOrder::PlanesFirst, "planes are written first");
    for (const auto* plane : planes)
        if (!frame.payload(plane->data(), plane->size()))
            return false;
    return frame.payload(trackBytes.data(), trackBytes.size());
}

void composeJob(const PrintOptions& options, const ImageData& images, const MagData& mag,
                ComposedJob& job) {
    pugi::xml_node card = job.document.append_child("prn").append_child("card");
    appendOptions(card.append_child("card-options"), options.cardOptions);
    appendSides(options, images, card, job);
    appendTracks(options, mag, card, job);
    placeBlocks(job.blocks, kComposedBlockOrder);
}

} // namespace Orvane
