// A TrueType font read from its file by our own code: character map, advances, vertical metrics
// and glyph outlines as painter paths. Text drawn from these outlines by Qt's raster engine gives
// the same dots on every system, whatever font engine the system has, and needs no display.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QPainterPath>
#include <QString>

#include <cstdint>

namespace carddesign {

class TrueTypeFont {
public:
    // Reads a .ttf (or the first font of a .ttc). False with a reason for anything else: a font
    // with PostScript outlines, a damaged or truncated file.
    bool load(const QByteArray& bytes, QString& problem);

    QString family() const { return family_; }
    bool bold() const { return bold_; }
    bool italic() const { return italic_; }

    // Font units: everything below is in them, y pointing down from the baseline.
    int unitsPerEm() const { return unitsPerEm_; }
    int ascent() const { return ascent_; }   // above the baseline, positive
    int descent() const { return descent_; } // below the baseline, positive
    int lineGap() const { return lineGap_; }

    // 0 (the missing-glyph box) when the font has no glyph for the character.
    std::uint16_t glyphFor(char32_t character) const;
    int advance(std::uint16_t glyph) const;
    // The outline, filled with the non-zero rule; empty for a blank or damaged glyph. A glyph
    // and the parts it is made of give at most maxOutlinePoints points (a hostile file can nest
    // parts so that they multiply): the rest is left out.
    QPainterPath outline(std::uint16_t glyph) const;
    int glyphCount() const { return glyphCount_; }

    static constexpr int maxOutlinePoints = 1 << 16;
    // Outlines are kept for the next use up to this many path elements in all (about 48 MB).
    static constexpr int maxCachedElements = 1 << 21;

private:
    struct Table {
        std::uint32_t offset = 0, length = 0;
    };
    bool readTables(QString& problem);
    bool readCharacterMap();
    void readNames();
    std::uint16_t u16(std::uint32_t at) const;
    std::uint32_t u32(std::uint32_t at) const;
    bool inTable(const Table& t, std::uint32_t at, std::uint32_t size) const;
    bool glyphRange(std::uint16_t glyph, std::uint32_t& start, std::uint32_t& end) const;
    // `budget`: the points the outline may still take; every part costs at least one.
    void appendGlyph(QPainterPath& path, std::uint16_t glyph, const QTransform& at, int depth,
                     int& budget) const;
    void appendSimpleGlyph(QPainterPath& path, std::uint32_t start, std::uint32_t end, int contours,
                           const QTransform& at, int& budget) const;
    void appendCompositeGlyph(QPainterPath& path, std::uint32_t start, std::uint32_t end,
                              const QTransform& at, int depth, int& budget) const;

    QByteArray bytes_;
    const unsigned char* data_ = nullptr;
    std::uint32_t size_ = 0;
    Table head_, hhea_, hmtx_, maxp_, loca_, glyf_, cmap_, name_;
    std::uint32_t cmapSubtable_ = 0;
    int cmapFormat_ = 0;
    int unitsPerEm_ = 0, ascent_ = 0, descent_ = 0, lineGap_ = 0;
    int glyphCount_ = 0, metricCount_ = 0;
    bool longOffsets_ = false;
    QString family_;
    bool bold_ = false, italic_ = false;
    mutable QHash<std::uint16_t, QPainterPath> outlines_;
    mutable int cachedElements_ = 0;
};

} // namespace carddesign
