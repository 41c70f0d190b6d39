#include <prnformat/JobFrame.h>

#include <prnformat/XmlVectorWriter.h>

namespace Orvane {

FrameWriter::Sink FrameWriter::appendTo(std::vector<unsigned char>& out) {
    return [&out](const unsigned char* data, std::size_t size) {
        out.insert(out.end(), data, data + size);
        return true;
    };
}

bool FrameWriter::put(const void* data, std::size_t size) {
    if (failed_ || finished_)
        return false;
    if (size == 0)
        return true;
    const auto* bytes = static_cast<const unsigned char*>(data);
    crc_.update(bytes, size);
    if (!sink_(bytes, size)) {
        failed_ = true;
        return false;
    }
    written_ += size;
    return true;
}

bool FrameWriter::header(const void* text, std::size_t size) {
    static const unsigned char separator = 0;
    return put(text, size) && put(&separator, 1);
}

bool FrameWriter::header(const pugi::xml_document& document, pugi::xml_encoding encoding) {
    XmlVectorWriter text;
    document.save(text, "", pugi::format_raw, encoding);
    // With its separator, so that the header leaves in one piece.
    text.bytes.push_back(0);
    return put(text.bytes.data(), text.bytes.size());
}

bool FrameWriter::payload(const void* data, std::size_t size) {
    return put(data, size);
}

bool FrameWriter::finish() {
    if (failed_ || finished_)
        return false;
    unsigned char stored[4];
    storeCrcLe(crc_.value(), stored);
    // The checksum does not cover itself, so it goes to the sink directly.
    if (!sink_(stored, sizeof stored)) {
        failed_ = true;
        return false;
    }
    written_ += sizeof stored;
    finished_ = true;
    return true;
}

std::vector<unsigned char> frameOf(const pugi::xml_document& header, const void* payload,
                                   std::size_t payloadSize, pugi::xml_encoding encoding) {
    std::vector<unsigned char> out;
    FrameWriter frame(FrameWriter::appendTo(out));
    frame.header(header, encoding);
    out.reserve(out.size() + payloadSize + 4);
    frame.payload(payload, payloadSize);
    frame.finish();
    return out;
}

} // namespace Orvane
