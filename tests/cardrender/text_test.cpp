// Setting text in a box: shrinking, wrapping, line limits, alignment and fonts by name.
#include "TextLayout.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

using namespace carddesign;

const FontLibrary& fonts() {
    static const FontLibrary library;
    return library;
}

TEST(Text, FitsAsTheDesignAsks) {
    struct Case {
        const char* what;
        CardTextFit fit;
        const char* text;
        double size, minSize;
        int maxLines;
        int boxWidth, boxHeight;
        bool fits;
        double sizeAtMost; // the size set is at most this (and more than half of it)
        int lines;
    };
    const Case cases[] = {
        {"short text as it is", CardTextFit::None, "Ann", 12, 6, 0, 600, 100, true, 12, 1},
        {"none never complains", CardTextFit::None, "A very long name indeed", 40, 6, 0, 100, 20,
         true, 40, 1},
        {"shrink keeps a fitting size", CardTextFit::Shrink, "Ann", 12, 6, 0, 600, 100, true, 12,
         1},
        {"shrink reduces a long name", CardTextFit::Shrink, "Bartholomew Featherstonehaugh", 24, 6,
         0, 500, 100, true, 8, 1},
        {"shrink stops at min_size", CardTextFit::Shrink, "Bartholomew Featherstonehaugh", 24, 20,
         0, 300, 100, false, 20, 1},
        {"shrink keeps explicit lines", CardTextFit::Shrink, "Ann\nLee", 12, 6, 0, 600, 200, true,
         12, 2},
        {"wrap breaks at spaces", CardTextFit::Wrap, "Head of Customer Relations", 12, 6, 0, 300,
         300, true, 12, 3},
        {"wrap over max_lines", CardTextFit::Wrap, "Head of Customer Relations", 12, 6, 2, 300, 300,
         false, 12, 3},
        {"wrap too tall", CardTextFit::Wrap, "Head of Customer Relations", 12, 6, 0, 300, 100,
         false, 12, 3},
        {"shrinkwrap fits two lines", CardTextFit::ShrinkWrap, "Head of Customer Relations", 12, 6,
         2, 300, 300, true, 11.9, 2},
        {"shrinkwrap gives up at min_size", CardTextFit::ShrinkWrap, "Head of Customer Relations",
         12, 11, 1, 300, 300, false, 11, 0},
        {"a word longer than the line is broken", CardTextFit::Wrap, "Supercalifragilistic", 12, 6,
         0, 150, 300, true, 12, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TextRequest r;
        r.text = QString::fromUtf8(c.text);
        r.fit = c.fit;
        r.size = c.size;
        r.minSize = c.minSize;
        r.maxLines = c.maxLines;
        r.box = QRect(10, 20, c.boxWidth, c.boxHeight);
        const TextResult set = layoutText(fonts(), r);
        EXPECT_EQ(set.problem.isEmpty(), c.fits) << set.problem.toStdString();
        EXPECT_LE(set.size, c.sizeAtMost + 1e-9);
        EXPECT_GT(set.size, c.sizeAtMost / 2);
        if (c.lines > 0) {
            EXPECT_EQ(set.lines, c.lines);
        }
        if (c.fits && c.fit != CardTextFit::None) {
            const QRectF ink = set.path.boundingRect();
            EXPECT_TRUE(QRectF(r.box).adjusted(-1, -1, 1, 1).contains(ink))
                << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
        }
    }
}

TEST(Text, AlignsWithinTheBox) {
    TextRequest r;
    r.text = QStringLiteral("Ann");
    r.box = QRect(100, 0, 800, 100);
    r.align = CardAlign::Left;
    const QRectF left = layoutText(fonts(), r).path.boundingRect();
    r.align = CardAlign::Center;
    const QRectF centre = layoutText(fonts(), r).path.boundingRect();
    r.align = CardAlign::Right;
    const QRectF right = layoutText(fonts(), r).path.boundingRect();
    EXPECT_NEAR(left.left(), 100, 10);
    EXPECT_NEAR(centre.center().x(), 500, 10);
    EXPECT_NEAR(right.right(), 900, 10);
    EXPECT_NEAR(centre.center().y(), 50, 15); // set in the middle of the box's height
}

TEST(Text, AnUnknownFamilyIsAProblemNamingTheKnownOnes) {
    TextRequest r;
    r.text = QStringLiteral("Ann");
    r.family = QStringLiteral("Comic Nonsense");
    r.box = QRect(0, 0, 500, 100);
    const TextResult set = layoutText(fonts(), r);
    EXPECT_TRUE(set.problem.contains(QLatin1String("Comic Nonsense")));
    EXPECT_TRUE(set.problem.contains(QLatin1String("DejaVu Sans")));
    EXPECT_TRUE(set.path.isEmpty());
}

TEST(Text, BoldAndItalicPickTheirFaces) {
    for (const bool bold : {false, true})
        for (const bool italic : {false, true}) {
            const TrueTypeFont* face = fonts().face(QStringLiteral("dejavu sans"), bold, italic);
            ASSERT_NE(face, nullptr);
            EXPECT_EQ(face->bold(), bold);
            EXPECT_EQ(face->italic(), italic);
        }
}

// Filling a text's pieces one by one sets every dot as filling the whole text does: glyphs that
// come close (kerning-tight capitals, italics leaning over their neighbours, ligature-like
// pairs, lines close together, sizes from tiny to large) are grouped, not drawn over each other.
TEST(Text, PiecesFillTheSameDotsAsTheWholeText) {
    const struct {
        const char* text;
        bool italic;
        double size;
        CardTextFit fit;
    } cases[] = {
        {"AVAWAYTo ffi fl", false, 30, CardTextFit::None},
        {"Łukasz Wiśniewski ¶ ΩЖж", true, 24, CardTextFit::None},
        {"ijijij .,.,;; ''\"\"", true, 5, CardTextFit::None},
        {"Head of Customer Relations and Other Long Titles", false, 14, CardTextFit::Wrap},
        {"lllIIIiii|||lIl1!", false, 3.7, CardTextFit::None}, // stems a dot apart or less
        {"lllIIIiii|||lIl1!", true, 6.1, CardTextFit::None},
    };
    for (const auto& c : cases) {
        TextRequest request;
        request.text = QString::fromUtf8(c.text);
        request.italic = c.italic;
        request.size = c.size;
        request.fit = c.fit;
        request.box = QRect(3, 5, 500, 160);
        const TextResult set = layoutText(fonts(), request);
        EXPECT_LT(set.pieces.size(), std::size_t(request.text.size())) << c.text;
        for (const QImage::Format format : {QImage::Format_Alpha8, QImage::Format_RGB32}) {
            QImage whole(520, 180, format), pieces(520, 180, format);
            whole.fill(Qt::white);
            pieces.fill(Qt::white);
            QPainter one(&whole), many(&pieces);
            one.setRenderHint(QPainter::Antialiasing);
            many.setRenderHint(QPainter::Antialiasing);
            one.fillPath(set.path, QColor(20, 60, 200));
            for (const QPainterPath& piece : set.pieces)
                many.fillPath(piece, QColor(20, 60, 200));
            one.end();
            many.end();
            EXPECT_TRUE(whole == pieces) << c.text << " in format " << format;
        }
    }
}

} // namespace
