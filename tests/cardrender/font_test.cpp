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

TEST(Font, DamagedFilesAreRefusedOrReadSafely) {
    const QByteArray good = fontBytes();
    QString problem;
    TrueTypeFont font;
    EXPECT_FALSE(font.load(QByteArray(), problem));
    EXPECT_FALSE(font.load(QByteArray("OTTO") + QByteArray(200, '\0'), problem));
    EXPECT_TRUE(problem.contains(QLatin1String("TrueType")));
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
