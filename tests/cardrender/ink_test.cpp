// Colour, K and knock-out: what each dot of a side becomes in the printer's planes.
#include "SideCanvas.h"

#include "carddesign/CardRenderer.h"

#include <gtest/gtest.h>

namespace {

using carddesign::SideCanvas;

struct DotCase {
    const char* what;
    QRgb colour;
    uchar black;    // K coverage
    uchar knockOut; // knock-out coverage
    unsigned char y, m, c, k;
};

TEST(Ink, EachDotFollowsColourThresholdAndKnockOut) {
    const DotCase cases[] = {
        {"colour alone", qRgb(255, 0, 40), 0, 0, 215, 255, 0, 0},
        {"white", qRgb(255, 255, 255), 0, 0, 0, 0, 0, 0},
        {"K just under the threshold", qRgb(255, 0, 40), 127, 0, 215, 255, 0, 0},
        {"K at the threshold", qRgb(255, 0, 40), 128, 0, 0, 0, 0, 255},
        {"K full", qRgb(10, 20, 30), 255, 0, 0, 0, 0, 255},
        {"knocked out", qRgb(10, 20, 30), 0, 255, 0, 0, 0, 0},
        {"knocked out and K", qRgb(10, 20, 30), 255, 255, 0, 0, 0, 255},
    };
    // The cases strewn over a canvas larger than the splitter's blocks of 16 x 16 dots, with
    // dots left over each way, in a pattern that a dot misplaced (or transposed) breaks.
    const int count = int(std::size(cases));
    const int w = 37, h = 35;
    const auto caseAt = [count](int x, int y) { return (3 * x + 5 * y) % count; };
    SideCanvas canvas(QSize(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const DotCase& c = cases[caseAt(x, y)];
            canvas.colour().setPixel(x, y, c.colour);
            canvas.blackCoverage().scanLine(y)[x] = c.black;
            canvas.knockOut().scanLine(y)[x] = c.knockOut;
        }
    for (const bool doubleK : {false, true}) {
        std::array<std::vector<unsigned char>, 4> planes;
        carddesign::splitPlanes(canvas, doubleK, planes);
        const std::size_t kColumns = doubleK ? 2 : 1;
        ASSERT_EQ(planes[0].size(), std::size_t(w * h));
        ASSERT_EQ(planes[3].size(), kColumns * std::size_t(w * h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const DotCase& c = cases[caseAt(x, y)];
                SCOPED_TRACE(testing::Message() << c.what << " at " << x << ", " << y);
                const std::size_t at = std::size_t(x) * h + std::size_t(y); // column by column
                ASSERT_EQ(planes[0][at], c.y);
                ASSERT_EQ(planes[1][at], c.m);
                ASSERT_EQ(planes[2][at], c.c);
                for (std::size_t copy = 0; copy < kColumns; ++copy)
                    ASSERT_EQ(planes[3][(kColumns * std::size_t(x) + copy) * h + std::size_t(y)],
                              c.k);
            }
    }
    // The K plane alone, as previews show it, sets exactly the dots the job's K plane prints.
    const QImage k = canvas.kPlane();
    ASSERT_EQ(k.format(), QImage::Format_Mono);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(k.pixelIndex(x, y), cases[caseAt(x, y)].k ? 1 : 0) << x << ", " << y;
    int white = 0; // a dot of case 1, white
    while (caseAt(white, 0) != 1)
        ++white;
    EXPECT_EQ(k.pixel(white, 0), qRgb(255, 255, 255));
}

// A black text and a K rectangle over a colour background: K is only ever 0 or 255, and no
// colour prints under K or inside a barcode's quiet zone.
TEST(Ink, KObjectsKnockOutTheColourBeneath) {
    CardDesign design;
    CardSide side;
    side.background.color = QColor(30, 120, 200);
    CardObject text;
    text.type = CardObjectType::Text;
    text.box = {5, 5, 60, 10};
    text.text = QStringLiteral("Kalyx Żółw 123");
    text.font.size = 18;
    side.objects.push_back(text);
    CardObject code;
    code.type = CardObjectType::Barcode;
    code.box = {5, 25, 60, 15};
    code.data = QStringLiteral("ABC-42");
    side.objects.push_back(code);
    design.front = side;
    CardRenderer renderer(design);
    const CardColumns columns;
    const CardRecord record{&columns, {}, 1, 2};
    const CardRenderer::Card card =
        renderer.render({&record, QStringLiteral("2026-01-01")}, QString(), CardRenderer::Job);
    ASSERT_TRUE(card.problems.empty());
    ASSERT_FALSE(card.job.isEmpty());

    // The picture and the job's planes come from one canvas; check the planes the job carries.
    const int w = design.width, h = design.height;
    const int plane = w * h;
    const QByteArray planes = card.job.mid(card.job.indexOf('\0') + 1, 4 * plane);
    ASSERT_EQ(planes.size(), 4 * plane);
    int black = 0, knocked = 0;
    for (int i = 0; i < plane; ++i) {
        const uchar k = uchar(planes[3 * plane + i]);
        ASSERT_TRUE(k == 0 || k == 255) << "K is one bit per dot";
        const bool colour = planes[i] || planes[plane + i] || planes[2 * plane + i];
        if (k) {
            ++black;
            ASSERT_FALSE(colour) << "colour under K at dot " << i;
        } else if (!colour) {
            ++knocked; // the quiet zone and the gaps between bars
        }
    }
    EXPECT_GT(black, 2000);
    EXPECT_GT(knocked, 2000);
}

} // namespace
