#include "SimFraming.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace kalyxsim {

pugi::xml_node Request::command() const {
    for (pugi::xml_node child : root().children()) {
        if (child.type() != pugi::node_element)
            continue;
        const std::string name = child.name();
        if (name != "binary-size" && name != "time")
            return child;
    }
    return {};
}

Bytes Request::wireBytes() const {
    Bytes bytes;
    bytes.reserve(text.size() + 1 + payload.size() + 4);
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    bytes.insert(bytes.end(), crcBytes.begin(), crcBytes.end());
    return bytes;
}

std::size_t FrameReader::feed(const unsigned char* data, std::size_t size) {
    std::size_t used = 0;
    while (used < size && !ready_ && !failed()) {
        const unsigned char* at = data + used;
        const std::size_t left = size - used;
        switch (state_) {
        case State::Skip: {
            auto* lt = static_cast<const unsigned char*>(std::memchr(at, '<', left));
            if (!lt) {
                current_.strayBytes += left;
                used += left;
                break;
            }
            current_.strayBytes += static_cast<std::size_t>(lt - at);
            used += static_cast<std::size_t>(lt - at);
            crc_.reset();
            state_ = State::Text;
            break;
        }
        case State::Text: {
            auto* nul = static_cast<const unsigned char*>(std::memchr(at, 0, left));
            const std::size_t take = nul ? static_cast<std::size_t>(nul - at) : left;
            if (current_.text.size() + take > maxTextSize) {
                failure_ = "request text longer than " + std::to_string(maxTextSize) + " bytes";
                return used;
            }
            current_.text.append(reinterpret_cast<const char*>(at), take);
            used += take;
            if (nul) {
                ++used;
                finishText();
                return used;
            }
            break;
        }
        case State::Payload: {
            const std::size_t take = static_cast<std::size_t>(
                std::min<std::uint64_t>(left, payloadSize_ - current_.payload.size()));
            current_.payload.insert(current_.payload.end(), at, at + take);
            crc_.update(at, take);
            used += take;
            if (current_.payload.size() == payloadSize_)
                state_ = State::Crc;
            break;
        }
        case State::Crc: {
            const std::size_t take = std::min<std::size_t>(left, 4 - crcFill_);
            std::memcpy(current_.crcBytes.data() + crcFill_, at, take);
            crcFill_ += take;
            used += take;
            if (crcFill_ == 4) {
                current_.crcComputed = crc_.value();
                ready_ = true;
            }
            break;
        }
        }
    }
    return used;
}

void FrameReader::finishText() {
    crc_.update(current_.text.data(), current_.text.size());
    const unsigned char nul = 0;
    crc_.update(&nul, 1);
    current_.parsed = static_cast<bool>(current_.document->load_buffer(
        current_.text.data(), current_.text.size(), pugi::parse_default, pugi::encoding_auto));
    // Without a parsed header the payload size is unknown: the frame is taken as payload-free,
    // so only its checksum is consumed and the next frame is found at its '<' as usual.
    payloadSize_ = current_.parsed ? current_.root().child("binary-size").text().as_ullong(0) : 0;
    if (payloadSize_ > maxPayloadSize) {
        failure_ = "announced payload of " + std::to_string(payloadSize_) + " bytes exceeds " +
                   std::to_string(maxPayloadSize);
        return;
    }
    // Grown as bytes arrive beyond this, so an announcement alone cannot claim the memory.
    current_.payload.reserve(
        static_cast<std::size_t>(std::min<std::uint64_t>(payloadSize_, 16u << 20)));
    crcFill_ = 0;
    state_ = payloadSize_ ? State::Payload : State::Crc;
}

Request FrameReader::takeFrame() {
    Request frame = std::move(current_);
    current_ = Request();
    ready_ = false;
    state_ = State::Skip;
    payloadSize_ = 0;
    crcFill_ = 0;
    return frame;
}

namespace {

struct StringWriter : pugi::xml_writer {
    std::string text;
    void write(const void* data, std::size_t size) override {
        text.append(static_cast<const char*>(data), size);
    }
};

} // namespace

OutgoingFrame buildFrame(pugi::xml_document& document, SharedBytes payload,
                         const FrameShape& shape) {
    const std::uint64_t realSize = payload ? payload->size() : 0;
    pugi::xml_node root = document.child("prn");
    pugi::xml_node size = root.child("binary-size");
    if (!size)
        size = root.append_child("binary-size");
    size.text().set(static_cast<unsigned long long>(
        shape.announceSize ? shape.announcedSize : realSize + shape.binarySizeExtra));

    StringWriter writer;
    writer.text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    document.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    if (shape.badXml) {
        // An unclosed root: well framed, but no XML parser accepts it.
        const auto end = writer.text.rfind("</prn>");
        if (end != std::string::npos)
            writer.text.erase(end);
    }
    if (shape.textLength > writer.text.size()) {
        // White space between the declaration and the root is insignificant to any parser.
        const auto afterDeclaration = writer.text.find("?>") + 2;
        writer.text.insert(afterDeclaration, shape.textLength - writer.text.size(), ' ');
    }

    OutgoingFrame frame;
    frame.head.reserve(shape.strayBytes + writer.text.size() + 1);
    // Stray bytes look like the tail of an earlier response but can never contain '<'.
    for (std::size_t i = 0; i < shape.strayBytes; ++i)
        frame.head.push_back(static_cast<unsigned char>("\xff\x00>junk "[i % 8]));
    frame.head.insert(frame.head.end(), writer.text.begin(), writer.text.end());
    frame.head.push_back(0);

    Orvane::Crc32 crc;
    crc.update(frame.head.data() + shape.strayBytes, frame.head.size() - shape.strayBytes);
    if (payload && !payload->empty())
        crc.update(payload->data(), payload->size());
    const std::uint32_t value = crc.value();
    Orvane::storeCrcLe(value, frame.crc.data());
    if (shape.crcBigEndian)
        std::reverse(frame.crc.begin(), frame.crc.end());
    frame.payload = std::move(payload);
    return frame;
}

} // namespace kalyxsim
