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

        Crc32 crc;
        XmlVectorWriter header;
        buildRequestHeader(job.document, job.payloadSize(), header, crc);

        const std::size_t start = out.size();
        out.reserve(start + header.bytes.size() + job.payloadSize() + 4);
        out.insert(out.end(), header.bytes.begin(), header.bytes.end());
        const std::size_t payloadStart = out.size();
        job.appendPayload(out);
        crc.update(out.data() + payloadStart, out.size() - payloadStart);
        unsigned char crcBytes[4];
        storeCrcLe(crc.value(), crcBytes);
        out.insert(out.end(), crcBytes, crcBytes + 4);
        return impl->succeed();
    });
}

} // namespace Orvane
