// Writing a loaded job back: the current header document, the binary part as loaded and a fresh
// checksum.
#include <kalyxdocument/KlxPrnHolder.h>

#include <kalyxdocument/FileReplacement.h>

#include <prnformat/JobFrame.h>
#include <prnformat/XmlVectorWriter.h>

#include <algorithm>

namespace {

// The encoding the document is written in. A header that declares Latin-1 was read as
// Latin-1; writing it back as UTF-8 under that same declaration would garble every non-ASCII
// character on the next load, so it is written in the encoding it declares.
pugi::xml_encoding encodingFor(const pugi::xml_document& document) {
    for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_declaration)
            continue;
        const QByteArray name = QByteArray(node.attribute("encoding").value()).toLower();
        if (name == "iso-8859-1" || name == "latin1")
            return pugi::encoding_latin1;
    }
    return pugi::encoding_auto;
}

Orvane::FrameWriter::Sink appendTo(QByteArray& out) {
    return [&out](const unsigned char* data, std::size_t size) {
        out.append(reinterpret_cast<const char*>(data), int(size));
        return true;
    };
}

} // namespace

QByteArray KlxPrnHolder::toByteArray() const {
    QByteArray out;
    if (binaryOffset_ <= 0)
        return out;
    Orvane::XmlVectorWriter header;
    doc_.save(header, "", pugi::format_raw, encodingFor(doc_));
    // The binary part exactly as loaded (none past the checksum of a job too short to have one).
    const qint64 from = binaryOffset_;
    const qint64 to = std::max<qint64>(from, raw_.size() - 4);
    out.reserve(int(Orvane::FrameWriter::frameSize(header.bytes.size(), std::uint64_t(to - from))));
    Orvane::FrameWriter frame(appendTo(out));
    frame.header(header.bytes.data(), header.bytes.size());
    frame.payload(raw_.constData() + from, std::size_t(to - from));
    frame.finish();
    return out;
}

bool KlxPrnHolder::save(const QString& fileName) const {
    QString reason;
    return save(fileName, reason);
}

bool KlxPrnHolder::save(const QString& fileName, QString& reason) const {
    const QByteArray bytes = toByteArray();
    if (bytes.isEmpty()) {
        reason = QStringLiteral("The job has no header to write");
        return false;
    }
    // Written beside the target and renamed over it once complete, so a failed save never
    // leaves a truncated job behind; a device or a pipe is never replaced by a file.
    return kalyxfile::replaceFile(fileName, bytes, reason);
}
