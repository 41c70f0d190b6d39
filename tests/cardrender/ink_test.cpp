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
    const int count = int(std::size(cases));
    SideCanvas canvas(QSize(count, 3));
    for (int x = 0; x < count; ++x) {
        canvas.colour().setPixel(x, 1, cases[x].colour);
        canvas.blackCoverage().scanLine(1)[x] = cases[x].black;
        canvas.knockOut().scanLine(1)[x] = cases[x].knockOut;
    }
    for (const bool doubleK : {false, true}) {
        std::array<std::vector<unsigned char>, 4> planes;
        carddesign::splitPlanes(canvas, doubleK, planes);
        ASSERT_EQ(planes[0].size(), std::size_t(3 * count));
        ASSERT_EQ(planes[3].size(), std::size_t((doubleK ? 2 : 1) * 3 * count));
        for (int x = 0; x < count; ++x) {
            SCOPED_TRACE(cases[x].what);
            const std::size_t at = std::size_t(x) * 3 + 1; // column by column
            EXPECT_EQ(planes[0][at], cases[x].y);
            EXPECT_EQ(planes[1][at], cases[x].m);
            EXPECT_EQ(planes[2][at], cases[x].c);
            const std::size_t kColumn = std::size_t(x) * (doubleK ? 2 : 1);
            EXPECT_EQ(planes[3][kColumn * 3 + 1], cases[x].k);
            if (doubleK) {
                EXPECT_EQ(planes[3][(kColumn + 1) * 3 + 1], cases[x].k);
            }
            EXPECT_EQ(planes[3][kColumn * 3], 0) << "the rows around stay clear";
        }
    }
    // The K plane alone, as previews show it, sets exactly the dots the job's K plane prints.
    const QImage k = canvas.kPlane();
    ASSERT_EQ(k.format(), QImage::Format_Mono);
    for (int x = 0; x < count; ++x) {
        SCOPED_TRACE(cases[x].what);
        EXPECT_EQ(k.pixelIndex(x, 1), cases[x].k ? 1 : 0);
        EXPECT_EQ(k.pixelIndex(x, 0), 0);
    }
    EXPECT_EQ(k.pixel(0, 0), qRgb(255, 255, 255));
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
