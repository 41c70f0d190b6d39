#include "Framing.h"
#include "JobComposer.h"
#include "PrinterImpl.h"

#include <kalyxcomms/Printer.h>

namespace Orvane {

bool Printer::printCard(const PrintOptions& options, const ImageData& images, const MagData& mag) {
    if (!impl)
        return false;
    return impl->run([&] {
        ComposedJob job;
        composeJob(options, images, mag, job);
        PrnMessage message;
        message.document.reset(job.document);
        message.payload.reserve(job.payloadSize());
        job.appendPayload(message.payload);
        return impl->send(message) && impl->succeed();
    });
}

bool Printer::printCardToMem(const PrintOptions& options, const ImageData& images,
                             const MagData& mag, std::vector<unsigned char>& out) {
    if (!impl)
        return false;
    return impl->run([&] {
        ComposedJob job;
        composeJob(options, images, mag, job);

        prepareRequestHeader(job.document, job.payloadSize());
        FrameWriter frame(FrameWriter::appendTo(out));
        frame.header(job.document);
        out.reserve(out.size() + job.payloadSize() + 4);
        job.writePayload(frame);
        frame.finish();
        return impl->succeed();
    });
}

} // namespace Orvane
