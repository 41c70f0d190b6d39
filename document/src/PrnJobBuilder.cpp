#include <kalyxdocument/PrnJobBuilder.h>

#include <prnformat/JobFrame.h>
#include <prnformat/TrackBits.h>
#include <prnformat/TrackCharacters.h>
#include <prnformat/XmlVectorWriter.h>

PrnJobBuilder::PrnJobBuilder() {
    pugi::xml_node decl = doc_.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    doc_.append_child("prn").append_child("card");
}

pugi::xml_node PrnJobBuilder::cardOptions() {
    pugi::xml_node options = card().child("card-options");
    if (!options)
        options = card().prepend_child("card-options");
    return options;
}

pugi::xml_node PrnJobBuilder::addSide(int side) {
    const pugi::xml_node mag = card().child("mag-options");
    pugi::xml_node node =
        mag ? card().insert_child_before("side-options", mag) : card().append_child("side-options");
    node.append_attribute("side") = side;
    return node;
}

pugi::xml_node PrnJobBuilder::addPanel(pugi::xml_node side, char panel, const QByteArray& plane,
                                       unsigned xDensity) {
    pugi::xml_node node = side.append_child("panel-options");
    node.append_attribute("panel") = std::string(1, panel).c_str();
    if (xDensity != 0)
        setText(node, "x-density", std::to_string(xDensity));
    if (panel != 'o')
        planes_.append(plane);
    return node;
}

pugi::xml_node PrnJobBuilder::addRect(pugi::xml_node parent, const char* kind, long long x,
                                      long long y, long long width, long long height) {
    pugi::xml_node node = parent.append_child(kind);
    setText(node, "x", std::to_string(x));
    setText(node, "y", std::to_string(y));
    setText(node, "width", std::to_string(width));
    setText(node, "height", std::to_string(height));
    return node;
}

pugi::xml_node PrnJobBuilder::setPatch(pugi::xml_node side, unsigned x, unsigned y, unsigned width,
                                       unsigned height) {
    pugi::xml_node node = side.child("patch-options");
    if (!node)
        node = side.prepend_child("patch-options");
    setText(node, "x", std::to_string(x));
    setText(node, "y", std::to_string(y));
    setText(node, "width", std::to_string(width));
    setText(node, "height", std::to_string(height));
    return node;
}

pugi::xml_node PrnJobBuilder::addTrack(int track, const QByteArray& bytes, unsigned numBits,
                                       unsigned bpi) {
    pugi::xml_node mag = card().child("mag-options");
    if (!mag)
        mag = card().append_child("mag-options");
    pugi::xml_node node = mag.append_child("track-options");
    node.append_attribute("track") = track;
    setText(node, "num-bits", std::to_string(numBits));
    setText(node, "bpi", std::to_string(bpi));
    tracks_.append(bytes);
    return node;
}

void PrnJobBuilder::setText(pugi::xml_node parent, const char* name, const std::string& value) {
    pugi::xml_node node = parent.child(name);
    if (!node)
        node = parent.append_child(name);
    node.text().set(value.c_str());
}

QByteArray PrnJobBuilder::header() const {
    pugi::xml_document copy;
    copy.reset(doc_);
    pugi::xml_node prn = copy.child("prn");
    prn.append_child("binary-size")
        .text()
        .set(static_cast<unsigned long long>(tracks_.size() + planes_.size()));
    prn.append_child("time").text().set(time_);
    Orvane::XmlVectorWriter out;
    copy.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    return QByteArray(reinterpret_cast<const char*>(out.bytes.data()), int(out.bytes.size()));
}

QByteArray PrnJobBuilder::binaryPart() const {
    return tracks_ + planes_;
}

QByteArray PrnJobBuilder::build() const {
    return frame(header(), binaryPart());
}

QByteArray PrnJobBuilder::frame(const QByteArray& header, const QByteArray& binary) {
    QByteArray job;
    job.reserve(int(Orvane::FrameWriter::frameSize(std::uint64_t(header.size()),
                                                   std::uint64_t(binary.size()))));
    Orvane::FrameWriter frame([&job](const unsigned char* data, std::size_t size) {
        job.append(reinterpret_cast<const char*>(data), int(size));
        return true;
    });
    frame.header(header.constData(), std::size_t(header.size()));
    frame.payload(binary.constData(), std::size_t(binary.size()));
    frame.finish();
    return job;
}

namespace {

EncodedTrack packBits(const std::vector<bool>& bits) {
    std::vector<unsigned char> bytes;
    Orvane::packTrackBits(bits, bytes);
    EncodedTrack track;
    track.numBits = unsigned(bits.size());
    track.bytes = QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
    return track;
}

} // namespace

EncodedTrack encodeTrack(const QByteArray& text, unsigned bitsPerChar) {
    if (bitsPerChar < 2 || bitsPerChar > 8)
        return {};
    return packBits(Orvane::encodeTrackCharacters(text.toStdString(), bitsPerChar));
}

EncodedTrack bitsFromString(const std::string& text) {
    std::vector<bool> bits;
    for (char c : text)
        if (c == '0' || c == '1')
            bits.push_back(c == '1');
    return packBits(bits);
}
