#include <kalyxdocument/KlxPrnHolder.h>

#include "SideDecoder.h"

#include <prnformat/Crc32.h>
#include <prnformat/Panels.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <exception>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("KlxPrnHolder", text);
}

KlxPrnHolder::ParseFailureReporter& reporterSlot() {
    static KlxPrnHolder::ParseFailureReporter reporter;
    return reporter;
}

// Reads at most limit + 1 bytes, so a huge file or an endless device is never taken whole.
bool readCapped(QFile& file, qint64 limit, QByteArray& out, bool& tooLarge) {
    tooLarge = false;
    // A size of 0 is what the system reports for files it does not know the size of (those
    // under /proc, say): they are read like a stream, to the limit.
    if (!file.isSequential() && file.size() > 0) {
        const qint64 size = file.size();
        if (size > limit) {
            tooLarge = true;
            return false;
        }
        out = file.read(size);
        if (out.size() != size)
            return false;
        // The file may have grown since size() was taken.
        char probe;
        if (file.read(&probe, 1) == 1) {
            tooLarge = true;
            return false;
        }
        return true;
    }
    out.clear();
    const qint64 chunk = qint64(1) << 20;
    for (;;) {
        const qint64 want = std::min(chunk, limit + 1 - out.size());
        const QByteArray piece = file.read(want);
        if (piece.isEmpty())
            return file.error() == QFileDevice::NoError;
        out.append(piece);
        if (out.size() > limit) {
            tooLarge = true;
            out.clear();
            return false;
        }
    }
}

bool isPipeOrSocket(const QString& fileName) {
#ifdef Q_OS_UNIX
    struct stat info {};
    return ::stat(QFile::encodeName(fileName).constData(), &info) == 0 &&
           (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode));
#else
    (void)fileName;
    return false;
#endif
}

QString textOf(const pugi::xpath_node& node) {
    if (node.attribute())
        return QString::fromUtf8(node.attribute().value());
    return QString::fromUtf8(node.node().text().get());
}

} // namespace

KlxPrnHolder::KlxPrnHolder(const QString& fileName) {
    // Opening a pipe waits for a writer, perhaps for ever.
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile() && !info.isDir() && isPipeOrSocket(fileName)) {
        loadError_ = QStringLiteral("Cannot open the file: it is a pipe or a socket, not a file");
        return;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        loadError_ = QStringLiteral("Cannot open the file: ") + file.errorString();
        return;
    }
    bool tooLarge = false;
    if (!readCapped(file, maxJobSize, raw_, tooLarge)) {
        raw_.clear();
        if (tooLarge) {
            reportParseFailure(
                tr("The file is too large for a PRN job (more than %1 bytes)").arg(maxJobSize));
            loadError_ = QStringLiteral("File too large");
        } else {
            loadError_ = QStringLiteral("Cannot read the file: ") + file.errorString();
        }
        return;
    }
    load();
}

KlxPrnHolder::KlxPrnHolder(const QByteArray& bytes, FromBytesTag) {
    if (bytes.size() > maxJobSize) {
        reportParseFailure(
            tr("The file is too large for a PRN job (more than %1 bytes)").arg(maxJobSize));
        loadError_ = QStringLiteral("File too large");
        return;
    }
    raw_ = bytes;
    load();
}

std::unique_ptr<KlxPrnHolder> KlxPrnHolder::fromBytes(const QByteArray& bytes) {
    return std::unique_ptr<KlxPrnHolder>(new KlxPrnHolder(bytes, FromBytesTag{}));
}

KlxPrnHolder::~KlxPrnHolder() = default;

void KlxPrnHolder::load() {
    const auto* data = reinterpret_cast<const unsigned char*>(raw_.constData());
    const qint64 size = raw_.size();
    if (size >= 4)
        computedChecksum_ = Orvane::crc32(data, std::size_t(size - 4));
    if (!checksumMatches())
        reportParseFailure(tr("The file has invalid checksum, continuing..."));

    const void* nul = std::memchr(data, 0, std::size_t(size));
    if (!nul) {
        loadError_ = QStringLiteral("No NUL byte ends the header document");
        return;
    }
    const qint64 headerLength = static_cast<const unsigned char*>(nul) - data;
    // The parser works in the loaded bytes themselves when they are the holder's alone, rather
    // than in a copy of a header that may be tens of megabytes long; bytes shared with the
    // caller stay untouched.
    const unsigned options = pugi::parse_default | pugi::parse_declaration;
    const pugi::xml_parse_result parsed =
        raw_.isDetached()
            ? doc_.load_buffer_inplace(raw_.data(), std::size_t(headerLength), options,
                                       pugi::encoding_auto)
            : doc_.load_buffer(data, std::size_t(headerLength), options, pugi::encoding_auto);
    if (!parsed) {
        doc_.reset();
        loadError_ = QStringLiteral("The header document is not well-formed XML: %1 at offset %2")
                         .arg(QString::fromUtf8(parsed.description()))
                         .arg(parsed.offset);
        return;
    }
    binaryOffset_ = int(headerLength + 1);

    const std::string noneHidden[2];
    valid_ = validateMag() && validateCard(noneHidden, false);
}

std::uint32_t KlxPrnHolder::storedChecksum() const {
    if (raw_.size() < 4)
        return 0;
    return Orvane::loadCrcLe(reinterpret_cast<const unsigned char*>(raw_.constData()) +
                             raw_.size() - 4);
}

bool KlxPrnHolder::checksumMatches() const {
    return raw_.size() >= 4 && storedChecksum() == computedChecksum_;
}

QString KlxPrnHolder::problemForPrinting() const {
    const qint64 headerBytes = binaryOffset_ > 0 ? binaryOffset_ - 1 : 0;
    if (headerBytes > maxPrintableHeader)
        return QStringLiteral("the header is %1 bytes, more than the %2 (1 MiB) printers take")
            .arg(headerBytes)
            .arg(maxPrintableHeader);
    if (!checksumMatches())
        return QStringLiteral("the checksum is wrong (stored 0x%1, computed 0x%2); printers drop "
                              "such a job")
            .arg(storedChecksum(), 8, 16, QLatin1Char('0'))
            .arg(computedChecksum_, 8, 16, QLatin1Char('0'));
    return QString();
}

const unsigned char* KlxPrnHolder::bytesAt(qint64 offset) const {
    if (offset < 0 || offset > raw_.size())
        return nullptr;
    return reinterpret_cast<const unsigned char*>(raw_.constData()) + offset;
}

const unsigned char* KlxPrnHolder::trackData(int track) const {
    if (track < 1 || track > 3 || trackData_[track - 1] < 0)
        return nullptr;
    // Track data that claim more than the file holds were located past its end: the pointer
    // then stops at the end rather than pointing outside.
    return bytesAt(std::min<qint64>(trackData_[track - 1], raw_.size()));
}

QImage KlxPrnHolder::sideImage(int side) const {
    if (side < 0 || side > 1)
        return QImage();
    return images_[side];
}

bool KlxPrnHolder::hasMagData() const {
    return trackData_[0] >= 0 || trackData_[1] >= 0 || trackData_[2] >= 0;
}

bool KlxPrnHolder::hasSide(int side) const {
    return hasNode("/prn/card/side-options[@side=" + std::to_string(side) + "]");
}

bool KlxPrnHolder::hasPanel(int side, char panel) const {
    // A quote or NUL could not be put into the literal; no panel has such a letter anyway.
    if (panel == '\0' || panel == '\'')
        return false;
    return hasNode("/prn/card/side-options[@side=" + std::to_string(side) +
                   "]/panel-options[@panel='" + std::string(1, panel) + "']");
}

QString KlxPrnHolder::nodeText(const std::string& xpath) const {
    try {
        const pugi::xpath_node node = doc_.select_node(xpath.c_str());
        if (!node)
            return QString();
        return textOf(node);
    } catch (const std::exception&) {
        return QString();
    }
}

bool KlxPrnHolder::hasNode(const std::string& xpath) const {
    try {
        return bool(doc_.select_node(xpath.c_str()));
    } catch (const std::exception&) {
        return false;
    }
}

pugi::xpath_node_set KlxPrnHolder::selectNodes(const std::string& xpath) const {
    try {
        pugi::xpath_node_set nodes = doc_.select_nodes(xpath.c_str());
        nodes.sort(); // reverse axes and unions come back in other orders
        return nodes;
    } catch (const std::exception&) {
        return pugi::xpath_node_set();
    }
}

QString KlxPrnHolder::childText(const pugi::xpath_node& context, const std::string& xpath) const {
    if (!context)
        return QString();
    try {
        const pugi::xpath_node node =
            context.node() ? context.node().select_node(xpath.c_str()) : pugi::xpath_node();
        if (!node)
            return QStringLiteral("");
        return textOf(node);
    } catch (const std::exception&) {
        return QStringLiteral("");
    }
}

QString KlxPrnHolder::xpathProblem(const std::string& xpath) {
    try {
        const pugi::xpath_query query(xpath.c_str());
        if (query.return_type() != pugi::xpath_type_node_set)
            return QStringLiteral("the expression does not select nodes");
        return QString();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
}

KlxPrnHolder::Element KlxPrnHolder::firstElement(const std::string& xpath) const {
    const pugi::xpath_node_set nodes = selectNodes(xpath);
    if (nodes.empty() || !nodes.first().node())
        return {};
    const pugi::xml_node element = nodes.first().node();
    return {QString::fromUtf8(element.name()), element.attribute("panel").as_string()[0]};
}

Orvane::BlockOrder KlxPrnHolder::blockOrder() const {
    return blockOrder_.order;
}

std::int64_t KlxPrnHolder::blockBytes() const {
    std::int64_t bytes = 0;
    for (const KlxPrnBlock& block : blocks_)
        bytes += block.size;
    return bytes;
}

bool KlxPrnHolder::validateMag() {
    // Recomputed from scratch, so calling it again never counts a track twice.
    for (int t = 0; t < 3; ++t) {
        trackData_[t] = -1;
        trackSize_[t] = 0;
    }
    blocks_.erase(std::remove_if(blocks_.begin(), blocks_.end(),
                                 [](const KlxPrnBlock& b) { return b.kind == KlxPrnBlock::Track; }),
                  blocks_.end());
    const bool ok = collectTracks();
    // The tracks decide the order (prnformat/BlockOrderRecognition.h); the planes then fill
    // the rest of the binary part.
    const qint64 binarySize = std::max<qint64>(raw_.size() - binaryOffset_ - 4, 0);
    blockOrder_ = Orvane::recogniseBlockOrder(bytesAt(binaryOffset_), binarySize, blocks_);
    locateTracks();
    return ok;
}

bool KlxPrnHolder::collectTracks() {
    bool seen[3] = {};
    for (pugi::xml_node track = doc_.first_element_by_path("prn/card/mag-options/track-options");
         track; track = track.next_sibling("track-options")) {
        const pugi::xml_attribute attr = track.attribute("track");
        if (!attr) {
            reportParseFailure(tr("Missing mandatory track attribute"));
            return false;
        }
        const int t = attr.as_int();
        if (t < 1 || t > 3) {
            reportParseFailure(tr("Invalid 'track' attribute ") + QString::number(t));
            return false;
        }
        if (seen[t - 1]) {
            reportParseFailure(tr("Multiple instances of track-options ") + QString::number(t - 1));
            return false;
        }
        seen[t - 1] = true;
        KlxPrnBlock block;
        block.kind = KlxPrnBlock::Track;
        block.track = t;
        block.numBits = track.child("num-bits").text().as_uint();
        block.bpi = track.child("bpi").text().as_uint();
        if (block.numBits == 0 || block.bpi == 0) {
            reportParseFailure(tr("Both num-bits and bpi must be specified for ") +
                               QString::number(t - 1));
            return false;
        }
        block.size = Orvane::trackSize(block.numBits);
        blocks_.push_back(block);
    }
    return true;
}

void KlxPrnHolder::locateTracks() {
    Orvane::placeBlocks(blocks_, blockOrder());
    // Planes first and the planes not yet collected: the tracks close the binary part.
    const qint64 binarySize = raw_.size() - binaryOffset_ - 4;
    const qint64 shift = blockOrder() == Orvane::BlockOrder::PlanesFirst
                             ? std::max<qint64>(binarySize - blockBytes(), 0)
                             : 0;
    for (const KlxPrnBlock& block : blocks_) {
        if (block.kind != KlxPrnBlock::Track)
            continue;
        trackData_[block.track - 1] = binaryOffset_ + block.offset + shift;
        trackSize_[block.track - 1] = block.size;
    }
}

bool KlxPrnHolder::validateCard(const std::string hiddenPanels[2], bool acceptOtherFormats) {
    return validateCard(hiddenPanels, acceptOtherFormats, images_);
}

bool KlxPrnHolder::validateCard(const std::string hiddenPanels[2], bool acceptOtherFormats,
                                QImage (&sideImages)[2]) {
    if (&sideImages != &images_)
        for (QImage& own : images_)
            own = QImage(); // the caller's pictures replace them
    const pugi::xml_node cardOptions = doc_.first_element_by_path("prn/card/card-options");
    if (hasNode("prn/card/card-options/image-format")) {
        if (std::strcmp(cardOptions.child("image-format").text().get(), "orvane") != 0) {
            if (acceptOtherFormats)
                return true;
            reportParseFailure(QStringLiteral("Unsupported image format"));
            return false;
        }
    }

    for (auto& side : planeData_)
        for (auto& p : side)
            p = -1;
    for (auto& side : planeDouble_)
        for (auto& d : side)
            d = false;
    blocks_.erase(std::remove_if(blocks_.begin(), blocks_.end(),
                                 [](const KlxPrnBlock& b) { return b.kind == KlxPrnBlock::Plane; }),
                  blocks_.end());

    bool decodable[2] = {};
    const bool ok = collectPlanes(decodable);
    locatePlanes(hiddenPanels);
    // A side that passed its checks gets its picture even when a later side fails them.
    for (int side = 0; side < 2; ++side)
        if (decodable[side])
            decodeSide(side, sideImages[side]);
    return ok;
}

bool KlxPrnHolder::readCardSize() {
    const pugi::xml_node cardOptions = doc_.first_element_by_path("prn/card/card-options");
    cardWidth_ = cardOptions.child("width").text().as_uint();
    if (cardWidth_ == 0)
        cardWidth_ = 1013;
    cardHeight_ = cardOptions.child("height").text().as_uint();
    if (cardHeight_ == 0)
        cardHeight_ = 642;
    if (cardWidth_ < 506 || cardWidth_ > 2026) {
        reportParseFailure(tr("Invalid image width ") + QString::number(cardWidth_));
        return false;
    }
    if (cardHeight_ > 642) {
        reportParseFailure(tr("Invalid image height ") + QString::number(cardHeight_));
        return false;
    }
    return true;
}

bool KlxPrnHolder::collectPlanes(bool decodable[2]) {
    if (!readCardSize())
        return false;
    pugi::xml_node side = doc_.first_element_by_path("prn/card/side-options");
    if (!side && blockBytes() == 0) {
        reportParseFailure(tr("Missing side-options"));
        return false;
    }
    bool seen[2] = {};
    for (; side; side = side.next_sibling("side-options")) {
        const pugi::xml_attribute attr = side.attribute("side");
        if (!attr) {
            reportParseFailure(tr("Missing mandatory side attribute"));
            return false;
        }
        const int s = attr.as_int();
        if (s != 0 && s != 1) {
            reportParseFailure(tr("Invalid 'side' attribute ") + QString::number(s));
            return false;
        }
        if (seen[s]) {
            reportParseFailure(tr("Multiple instances of side-options ") + QString::number(s));
            return false;
        }
        seen[s] = true;
        const std::size_t blocksBefore = blocks_.size();
        if (!collectSidePlanes(side, s))
            return false;
        // The job must hold at least what is described so far.
        const qint64 expected = binaryOffset_ + blockBytes() + 4;
        if (expected > raw_.size()) {
            reportParseFailure(tr("Incorrect length, expected ") + QString::number(expected));
            return false;
        }
        decodable[s] = blocks_.size() > blocksBefore;
    }
    const qint64 expected = binaryOffset_ + blockBytes() + 4;
    if (expected != raw_.size()) {
        reportParseFailure(tr("Incorrect length, expected ") + QString::number(expected));
        return false;
    }
    return true;
}

bool KlxPrnHolder::collectSidePlanes(pugi::xml_node side, int s) {
    for (pugi::xml_node panel = side.child("panel-options"); panel;
         panel = panel.next_sibling("panel-options")) {
        const char* letter = panel.attribute("panel").as_string();
        if (std::strlen(letter) != 1) {
            reportParseFailure(tr("Invalid panel attribute"));
            return false;
        }
        const int p = Orvane::panelIndex(letter[0]);
        if (p < 0) {
            reportParseFailure(tr("Invalid panel id"));
            return false;
        }
        if (p >= Orvane::kPlanePanelCount)
            continue; // the overlay has no plane
        KlxPrnBlock block;
        block.kind = KlxPrnBlock::Plane;
        block.side = s;
        block.panel = letter[0];
        block.xDensity = panel.child("x-density").text().as_uint();
        block.size = Orvane::planeSize(cardWidth_, cardHeight_, block.xDensity);
        blocks_.push_back(block);
    }
    return true;
}

void KlxPrnHolder::locatePlanes(const std::string hiddenPanels[2]) {
    locateTracks(); // places every block, the tracks after the planes when planes come first
    for (const KlxPrnBlock& block : blocks_) {
        if (block.kind != KlxPrnBlock::Plane)
            continue;
        const int p = Orvane::panelIndex(block.panel);
        const bool hidden =
            hiddenPanels && hiddenPanels[block.side].find(block.panel) != std::string::npos;
        planeData_[block.side][p] = hidden ? -1 : binaryOffset_ + block.offset;
        // Each plane is read at the density of its own panel.
        planeDouble_[block.side][p] = Orvane::isDoubleDensity(block.xDensity);
    }
}

namespace {

// The rectangles of one kind ("area" or "hole") of one panel of a side, in document order.
std::vector<PanelRect> collectRects(const KlxPrnHolder& holder, int side, char letter,
                                    const char* kind) {
    std::vector<PanelRect> rects;
    const std::string path = "prn/card/side-options[@side=" + std::to_string(side) +
                             "]/panel-options[@panel='" + std::string(1, letter) + "']/" + kind;
    const pugi::xpath_node_set nodes = holder.selectNodes(path);
    rects.reserve(nodes.size());
    for (const pugi::xpath_node& node : nodes) {
        // Direct child lookup reads the same texts as a relative query for "x", "y", ... would.
        const pugi::xml_node n = node.node();
        auto field = [&](const char* name) {
            return QString::fromUtf8(n.child(name).text().get()).toInt(nullptr, 10);
        };
        rects.push_back(PanelRect{field("x"), field("y"), field("width"), field("height")});
    }
    return rects;
}

} // namespace

void KlxPrnHolder::decodeSide(int side, QImage& image) {
    SideDecodeInput in;
    in.width = cardWidth_;
    in.height = cardHeight_;
    for (int p = 0; p < Orvane::kPlanePanelCount; ++p) {
        in.planes[p] = planeData_[side][p] >= 0 ? bytesAt(planeData_[side][p]) : nullptr;
        in.doubleDensity[p] = planeDouble_[side][p];
    }
    const std::string patchPath =
        "prn/card/side-options[@side=" + std::to_string(side) + "]/patch-options";
    if (hasNode(patchPath)) {
        auto field = [&](const char* name) {
            return std::uint16_t(nodeText(patchPath + name).toInt(nullptr, 10));
        };
        in.hasPatch = true;
        in.patchX = field("/x");
        in.patchY = field("/y");
        in.patchWidth = field("/width");
        in.patchHeight = field("/height");
    }
    for (int p = 0; p < Orvane::kPlanePanelCount; ++p)
        in.areas[p] = collectRects(*this, side, Orvane::kPanelLetters[p], "area");
    for (int p = 0; p < Orvane::kPlanePanelCount; ++p)
        in.holes[p] = collectRects(*this, side, Orvane::kPanelLetters[p], "hole");
    decodeSideImage(in, image);
}

void KlxPrnHolder::reportParseFailure(const QString& text) {
    messages_.append(text);
    showParseFailure(text);
}

KlxPrnHolder::ParseFailureReporter
KlxPrnHolder::setParseFailureReporter(ParseFailureReporter reporter) {
    ParseFailureReporter previous = std::move(reporterSlot());
    reporterSlot() = std::move(reporter);
    return previous;
}

void KlxPrnHolder::showParseFailure(const QString& text) {
    if (const ParseFailureReporter& reporter = reporterSlot())
        reporter(text);
}
