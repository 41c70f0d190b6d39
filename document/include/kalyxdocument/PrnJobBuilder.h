// Composes PRN jobs in memory: the header document is built with pugixml and stays open to any
// change (including malformed ones), the planes and track bytes are given as they are stored.
// The reader's block order is used (Orvane::BlockOrder::TracksFirst): all track data first, then
// the planes.
#pragma once

#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

#include <cstdint>
#include <string>
#include <vector>

class PrnJobBuilder {
public:
    // <prn><card/></prn> with a declaration of version 1.0, encoding UTF-8.
    PrnJobBuilder();

    pugi::xml_document& document() { return doc_; }
    pugi::xml_node card() { return doc_.child("prn").child("card"); }
    pugi::xml_node cardOptions(); // created on first use, as the first child of card

    // Appends <side-options side="N">.
    pugi::xml_node addSide(int side);
    // Appends <panel-options panel="L"> to the side; a plane (y, m, c, k) is appended to the
    // binary part in call order, so add panels in document order. xDensity 0 writes no element.
    pugi::xml_node addPanel(pugi::xml_node side, char panel, const QByteArray& plane = {},
                            unsigned xDensity = 0);
    // Appends an <area> or <hole> with x, y, width and height children.
    static pugi::xml_node addRect(pugi::xml_node parent, const char* kind, long long x, long long y,
                                  long long width, long long height);
    static pugi::xml_node setPatch(pugi::xml_node side, unsigned x, unsigned y, unsigned width,
                                   unsigned height);
    // Appends <track-options track="N"> under mag-options (created on first use) with num-bits
    // and bpi, and the track bytes to the track data.
    pugi::xml_node addTrack(int track, const QByteArray& bytes, unsigned numBits,
                            unsigned bpi = 210);
    // Sets (or appends) a child element's text.
    static void setText(pugi::xml_node parent, const char* name, const std::string& value);

    void setTime(std::int32_t seconds) { time_ = seconds; }

    QByteArray header() const;     // the header document in raw form
    QByteArray binaryPart() const; // track data, then planes
    QByteArray build() const;      // header, NUL, binary part, checksum

    // header + NUL + binary + the checksum of all that.
    static QByteArray frame(const QByteArray& header, const QByteArray& binary);

private:
    pugi::xml_document doc_;
    QByteArray tracks_;
    QByteArray planes_;
    std::int32_t time_ = 0;
};

// Magnetic track encoding in ISO/IEC 7811 cells (Orvane::encodeTrackCharacters), packed most
// significant bit first. Characters outside the set are replaced by the first code of the set.
struct EncodedTrack {
    QByteArray bytes;
    unsigned numBits = 0;
};
EncodedTrack encodeTrack(const QByteArray& text, unsigned bitsPerChar);
// Track bits from a string of '0' and '1' (other characters are skipped).
EncodedTrack bitsFromString(const std::string& bits);

// The demonstration job: two sides with Y, M, C and K planes holding a picture, an overlay, a
// patch, an area and a hole, and three ISO tracks.
QByteArray makeSampleJob();
