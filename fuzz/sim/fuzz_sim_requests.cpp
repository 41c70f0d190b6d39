// Hostile hosts against the simulated printer. The first byte picks the mode:
// even - the rest is a raw byte stream, fed in uneven chunks (framing, limits, resync);
// odd  - the rest is a list of XML texts separated by NUL; each one is framed with a correct
//        checksum and the payload its binary-size announces, so the command handlers and the
//        run-time settings (faults included) are reached, not just the checksum test.
#include "SimFraming.h"
#include "SimPrinter.h"

#include <prnformat/Crc32.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

using namespace kalyxsim;

namespace {

void serve(SimPrinter& printer, FrameReader& reader, const unsigned char* data, std::size_t size) {
    std::size_t used = 0;
    while (used < size && !reader.failed()) {
        used += reader.feed(data + used, size - used);
        if (!reader.hasFrame())
            continue;
        Request request = reader.takeFrame();
        const std::string command = SimPrinter::commandName(request);
        std::optional<Fault> fault = printer.faults().take(command, command != "print-job");
        Reply reply = printer.handle(request);
        if (reply.document)
            buildFrame(*reply.document, reply.payload, fault ? fault->shape() : FrameShape());
    }
}

Bytes frame(const unsigned char* text, std::size_t size) {
    pugi::xml_document document;
    document.load_buffer(text, size);
    const std::size_t payloadSize = static_cast<std::size_t>(std::min<unsigned long long>(
        document.child("prn").child("binary-size").text().as_ullong(), 1u << 16));
    Bytes bytes(text, text + size);
    bytes.push_back(0);
    for (std::size_t i = 0; i < payloadSize; ++i)
        bytes.push_back(static_cast<unsigned char>(i * 7));
    unsigned char crc[4];
    Orvane::storeCrcLe(Orvane::crc32(bytes.data(), bytes.size()), crc);
    bytes.insert(bytes.end(), crc, crc + 4);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    SimPrinter printer{PrinterConfig()};
    FrameReader reader;
    const bool framed = data[0] & 1;
    ++data;
    --size;
    if (!framed) {
        // Chunk lengths come from the data itself, so the fuzzer explores the splits too.
        std::size_t at = 0;
        while (at < size) {
            const std::size_t chunk = std::min<std::size_t>(size - at, 1 + data[at] % 97);
            serve(printer, reader, data + at, chunk);
            at += chunk;
        }
        return 0;
    }
    std::size_t at = 0;
    while (at < size) {
        const auto* nul = static_cast<const unsigned char*>(std::memchr(data + at, 0, size - at));
        const std::size_t length = nul ? static_cast<std::size_t>(nul - (data + at)) : size - at;
        const Bytes bytes = frame(data + at, length);
        serve(printer, reader, bytes.data(), bytes.size());
        at += length + 1;
    }
    return 0;
}
