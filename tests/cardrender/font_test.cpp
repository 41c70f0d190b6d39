// Reading TrueType files: the characters of names in several scripts, and damaged files that
// must give a reason, never a crash.
#include "TrueTypeFont.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using carddesign::TrueTypeFont;

QByteArray fontBytes() {
    QFile file(QStringLiteral(TEST_FONT));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << TEST_FONT;
    return file.readAll();
}

TEST(Font, ReadsMetricsAndOutlinesOfSeveralScripts) {
    TrueTypeFont font;
    QString problem;
    ASSERT_TRUE(font.load(fontBytes(), problem)) << problem.toStdString();
    EXPECT_EQ(font.family(), QStringLiteral("DejaVu Sans"));
    EXPECT_FALSE(font.bold());
    EXPECT_EQ(font.unitsPerEm(), 2048);
    EXPECT_GT(font.ascent(), 0);
    EXPECT_GT(font.descent(), 0);
    // Latin, Latin with a stroke and a composite accent, Greek, Cyrillic, beyond the BMP absent.
    for (const char32_t c : {U'A', U'ł', U'é', U'ø', U'Ω', U'Ж'}) {
        const std::uint16_t glyph = font.glyphFor(c);
        ASSERT_NE(glyph, 0) << std::uint32_t(c);
        EXPECT_GT(font.advance(glyph), 0);
        const QRectF bounds = font.outline(glyph).boundingRect();
        EXPECT_GT(bounds.height(), 500) << std::uint32_t(c);
        EXPECT_LT(bounds.bottom(), 600) << "y grows downwards from the baseline";
    }
    EXPECT_EQ(font.glyphFor(U'\U0010FFFD'), 0);
    EXPECT_TRUE(font.outline(font.glyphFor(U' ')).isEmpty());
    // é is made of e and an accent: both parts are drawn.
    EXPECT_GT(font.outline(font.glyphFor(U'é')).boundingRect().height(),
              font.outline(font.glyphFor(U'e')).boundingRect().height());
}

// Where a table lies in `font`: its directory entry's offset, or -1.
int tableEntry(const QByteArray& font, const char* tag) {
    const int count = (uchar(font[4]) << 8) | uchar(font[5]);
    for (int i = 0; i < count; ++i)
        if (font.mid(12 + 16 * i, 4) == tag)
            return 12 + 16 * i;
    return -1;
}

quint32 get32(const QByteArray& b, int at) {
    return quint32(uchar(b[at])) << 24 | quint32(uchar(b[at + 1])) << 16 |
           quint32(uchar(b[at + 2])) << 8 | uchar(b[at + 3]);
}

void put32(QByteArray& b, int at, quint32 v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(v >> (24 - 8 * i));
}

// `font` (with 32-bit glyph offsets) where glyph k, for k from 1 to `depth`, is made of `parts`
// copies of glyph k + 1, and glyph depth + 1 is `last`'s outline: parts that multiply.
QByteArray nestedParts(QByteArray font, int depth, int parts, int last) {
    const int glyf = tableEntry(font, "glyf"), loca = tableEntry(font, "loca");
    const quint32 glyfAt = get32(font, glyf + 8), locaAt = get32(font, loca + 8);
    put32(font, glyf + 12, quint32(font.size()) - glyfAt + quint32(10 + 6 * parts) * depth);
    // The last glyph points at `last`'s bytes.
    put32(font, int(locaAt) + 4 * (depth + 1), get32(font, int(locaAt) + 4 * last));
    put32(font, int(locaAt) + 4 * (depth + 2), get32(font, int(locaAt) + 4 * (last + 1)));
    for (int k = 1; k <= depth; ++k) {
        put32(font, int(locaAt) + 4 * k, quint32(font.size()) - glyfAt);
        QByteArray glyph(10, '\0');
        glyph[0] = glyph[1] = char(0xFF); // -1 contours: made of parts
        for (int p = 0; p < parts; ++p)   // offsets as bytes, more parts follow but after the last
            glyph += QByteArray::fromHex(p + 1 < parts ? "0022" : "0002") + char(0) + char(k + 1) +
                     QByteArray(2, '\0');
        font += glyph;
        put32(font, int(locaAt) + 4 * k + 4, quint32(font.size()) - glyfAt);
    }
    put32(font, int(locaAt) + 4 * (depth + 1), get32(font, int(locaAt) + 4 * last));
    return font;
}

TEST(Font, DamagedFilesAreRefusedOrReadSafely) {
    const QByteArray good = fontBytes();
    QString problem;
    TrueTypeFont font;
    EXPECT_FALSE(font.load(QByteArray(), problem));
    EXPECT_FALSE(font.load(QByteArray("OTTO") + QByteArray(200, '\0'), problem));
    EXPECT_TRUE(problem.contains(QLatin1String("TrueType")));
    // A collection whose font lies near 4 GiB: offsets must not wrap past the end check.
    for (const quint32 offset : {0xFFFFFFFEu, 0xFFFFFFF0u, 0x7FFFFFFFu}) {
        QByteArray collection = QByteArray("ttcf") + QByteArray(12, '\0') + good.left(400);
        put32(collection, 12, offset);
        EXPECT_FALSE(font.load(collection, problem)) << offset;
    }
    // A font read after another keeps nothing of it: without outlines it is refused.
    ASSERT_TRUE(font.load(good, problem));
    QByteArray noOutlines = good;
    noOutlines.replace(tableEntry(good, "glyf"), 4, "xxxx");
    EXPECT_FALSE(font.load(noOutlines, problem));
    EXPECT_TRUE(problem.contains(QLatin1String("no outlines"))) << problem.toStdString();
    // Parts made of parts, 64 of each eight deep (64^8 copies): the outline stops at its bound.
    TrueTypeFont nested;
    ASSERT_TRUE(nested.load(nestedParts(good, 8, 64, font.glyphFor(U'A')), problem));
    const QPainterPath bomb = nested.outline(1);
    EXPECT_GT(bomb.elementCount(), 0);
    EXPECT_LE(bomb.elementCount(), 3 * TrueTypeFont::maxOutlinePoints);
    // Cut short anywhere, or with bytes overwritten: loading and drawing stay inside the data.
    std::uint32_t seed = 7;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int trial = 0; trial < 300; ++trial) {
        QByteArray bytes = trial < 100 ? good.left(int(next() % std::uint32_t(good.size()))) : good;
        for (int flips = trial < 100 ? 0 : 50; flips > 0; --flips)
            bytes[int(next() % std::uint32_t(bytes.size()))] = char(next());
        TrueTypeFont damaged;
        if (!damaged.load(bytes, problem))
            continue;
        for (char32_t c = 0x20; c < 0x250; c += 3)
            damaged.outline(damaged.glyphFor(c)).boundingRect();
    }
}

} // namespace
