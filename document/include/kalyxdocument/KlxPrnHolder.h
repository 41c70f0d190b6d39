// KlxPrnHolder: one PRN job in memory. Loading verifies the checksum, parses the header, validates
// it and locates every plane and track, then decodes the two side previews. The holder answers
// queries on the header document, decodes the magnetic tracks and writes the job back.
//
// Failures are values: an invalid holder, a null or empty text, false. Validation failures are
// also kept as messages and shown through the parse-failure reporter. Nothing thrown by pugixml
// (for example on a malformed XPath from the command line) leaves this class.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <prnformat/BlockOrderRecognition.h>
#include <prnformat/JobLayout.h>
#include <prnformat/TrackCharacters.h>

#include <pugixml.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// One block of the binary part as located by the last validation.
using KlxPrnBlock = Orvane::JobBlock;

class KlxPrnHolder {
public:
    using ParseFailureReporter = std::function<void(const QString&)>;

    // Files larger than this are refused without being read. The largest job the format allows
    // is 8 double-density planes of 2026 x 642 (about 20.8 MB) plus a header and a few hundred
    // bytes of track data; 64 MiB leaves generous room for bulky headers.
    static constexpr qint64 maxJobSize = qint64(64) << 20;

    explicit KlxPrnHolder(const QString& fileName);
    // Loads a job held in memory (tests, benchmarks, fuzzers, pipelines); same checks and
    // messages as loading from a file.
    static std::unique_ptr<KlxPrnHolder> fromBytes(const QByteArray& bytes);

    virtual ~KlxPrnHolder();
    KlxPrnHolder(const KlxPrnHolder&) = delete;
    KlxPrnHolder& operator=(const KlxPrnHolder&) = delete;

    bool isValid() const { return valid_; }
    QImage sideImage(int side) const;
    bool hasMagData() const;
    bool hasSide(int side) const;
    bool hasPanel(int side, char panel) const;

    // XPath queries on the header document. A malformed path selects nothing.
    QString nodeText(const std::string& xpath) const;
    bool hasNode(const std::string& xpath) const;
    pugi::xpath_node_set selectNodes(const std::string& xpath) const;
    QString childText(const pugi::xpath_node& context, const std::string& xpath) const;
    // Why xpath cannot be used to select nodes (malformed, or a number or text expression such
    // as "1+1"); empty when it can.
    static QString xpathProblem(const std::string& xpath);
    // The element the path selects first (in document order): its name and the letter of its
    // panel attribute. An empty name when the path selects no element.
    struct Element {
        QString name;
        char panel = '\0';
    };
    Element firstElement(const std::string& xpath) const;

    // Validate the magnetic options and locate the tracks; validate the card and side options,
    // locate the planes and decode each side that passed its checks. hiddenPanels[side] holds
    // the letters of the planes to leave out of that side's preview.
    bool validateMag();
    bool validateCard(const std::string hiddenPanels[2], bool acceptOtherFormats);
    // The same, decoding each side into sideImages[side] instead of the holder's own pictures
    // (sideImage then returns null ones). An image that holds the only reference to its pixels
    // and has the card's size and the ARGB32 or RGB32 format is written over in place, so a
    // caller that keeps its images between validations (the window) needs no new memory; any
    // other is replaced by a new ARGB32 picture. A side that is not decoded keeps its image.
    bool validateCard(const std::string hiddenPanels[2], bool acceptOtherFormats,
                      QImage (&sideImages)[2]);

    QByteArray toByteArray() const;
    // Atomic: true only when every byte reached the file; on failure the old file is untouched.
    // A target that exists and is not a regular file is refused. A file replaced keeps its
    // mode, and its owner and group where the process may set them.
    bool save(const QString& fileName) const;
    // The same, with the system's reason for a failure ("No space left on device").
    bool save(const QString& fileName, QString& reason) const;

    // Writes value as the text of parentPath/name, appending the element under parentPath when
    // it is missing. False when neither exists, the path selects an attribute, or is malformed.
    bool setNodeText(const std::string& name, const std::string& parentPath,
                     const std::string& value);

    // Magnetic track decoding for track 1, 2 or 3 with b bits per character cell.
    unsigned trackBitCount(int track) const;
    QString trackText(int track, unsigned bitsPerChar) const;
    QString trackLrcText(int track, unsigned bitsPerChar) const;

    // Card size after validation; 0 when validation did not reach the card options.
    std::uint32_t cardWidth() const { return cardWidth_; }
    std::uint32_t cardHeight() const { return cardHeight_; }
    // The first byte of the data of track 1, 2 or 3 inside the job; null when the job has none.
    const unsigned char* trackData(int track) const;

    // Layout and checksum as found while loading (for inspection tools).
    std::vector<KlxPrnBlock> blocks() const { return blocks_; }
    // The block order the tracks were read in and why (tracks first when the job has none).
    Orvane::RecognisedBlockOrder recognisedBlockOrder() const { return blockOrder_; }
    // The job's bytes as loaded. The header's bytes may serve the parsed document itself, so
    // only their count is the file's; the header's text is nodeText's and toByteArray's.
    const QByteArray& rawBytes() const { return raw_; }
    int binaryOffset() const { return binaryOffset_; }
    std::uint32_t storedChecksum() const;
    std::uint32_t computedChecksum() const { return computedChecksum_; }
    bool checksumMatches() const;
    // Printers refuse a request whose text is longer than this, so a job whose header is longer
    // cannot print.
    static constexpr qint64 maxPrintableHeader = qint64(1) << 20;
    // Why a printer would drop this job although it loads: a wrong checksum, or a header text
    // over maxPrintableHeader; empty when nothing stands in the way. The window still opens and
    // warns of such a job; check, send and the CUPS backend refuse it.
    QString problemForPrinting() const;
    // Why a load stopped without a parse-failure message (file not readable, no NUL, header not
    // well-formed); empty otherwise.
    QString loadError() const { return loadError_; }
    // The parse-failure messages this holder reported, in order: those of its load, then those
    // of any later validation.
    QStringList messages() const { return messages_; }

    // Each parse-failure message is kept by its holder and also handed, as it happens, to one
    // process-wide reporter: the window installs one that shows the modal "Parse Failure" box.
    // By default nothing is shown. Returns the reporter installed before; an empty function
    // restores the default.
    static ParseFailureReporter setParseFailureReporter(ParseFailureReporter reporter);
    static void showParseFailure(const QString& text);

private:
    struct FromBytesTag {};
    KlxPrnHolder(const QByteArray& bytes, FromBytesTag);

    void load();
    void reportParseFailure(const QString& text);
    // Validation collects the blocks the header describes, the layout places them, and only
    // then are the sides decoded.
    Orvane::BlockOrder blockOrder() const;
    std::int64_t blockBytes() const;
    bool collectTracks();
    void locateTracks();
    bool readCardSize();
    bool collectPlanes(bool decodable[2]);
    bool collectSidePlanes(pugi::xml_node side, int s);
    void locatePlanes(const std::string hiddenPanels[2]);
    void decodeSide(int side, QImage& image);
    Orvane::TrackCharacters trackCharacters(int track, unsigned bitsPerChar) const;
    const unsigned char* bytesAt(qint64 offset) const;

    bool valid_ = false;
    QByteArray raw_;
    int binaryOffset_ = 0;
    pugi::xml_document doc_;
    QImage images_[2];
    // Offsets into raw_ rather than pointers, so nothing ever points past the bytes; -1 = none.
    qint64 planeData_[2][5] = {{-1, -1, -1, -1, -1}, {-1, -1, -1, -1, -1}};
    qint64 trackData_[3] = {-1, -1, -1};
    qint64 trackSize_[3] = {};
    std::uint32_t cardWidth_ = 0;
    std::uint32_t cardHeight_ = 0;
    // Each plane is read at the density of its own panel.
    bool planeDouble_[2][5] = {};
    std::vector<KlxPrnBlock> blocks_;
    Orvane::RecognisedBlockOrder blockOrder_;
    std::uint32_t computedChecksum_ = 0;
    QString loadError_;
    QStringList messages_;
};
