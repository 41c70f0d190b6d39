// `kalyxprn compose` pictures of other shapes: fitted to the card as asked, turned as their files
// and --rotate say, and previewed exactly as `render` shows the job.
#include "FileBytes.h"
#include "KalyxprnRun.h"

#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using kalyxtest::kalyxprn;
using kalyxtest::Result;

namespace {

constexpr int W = 1013, H = 642;
const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255),
           white = qRgb(255, 255, 255);

// Three bands: red, green, blue, from the top (or from the left when `across`).
QImage bands(int width, int height, bool across) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int band = across ? 3 * x / width : 3 * y / height;
            image.setPixel(x, y, band == 0 ? red : band == 1 ? green : blue);
        }
    return image;
}

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 40 && std::abs(qGreen(a) - qGreen(b)) < 40 &&
           std::abs(qBlue(a) - qBlue(b)) < 40;
}

class ComposePicture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(bands(60, 90, false).save(path("portrait.png")));
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    // The front as the preview shows it, with what compose said.
    QImage preview(const QStringList& extra, Result& r) const {
        r = kalyxprn(QStringList{"compose", "--preview", path("p.png")} + extra);
        return QImage(path("p.png"));
    }

    QTemporaryDir dir;
};

TEST_F(ComposePicture, FitsThePictureAsAskedAndSaysWhenItCrops) {
    Result r;
    // cover (the default): the card is filled, the top and bottom bands are cut off, centred.
    QImage card = preview({"--front", path("portrait.png")}, r);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    ASSERT_EQ(card.size(), QSize(W, H));
    EXPECT_TRUE(r.err.contains("cropped")) << r.err.toStdString();
    EXPECT_TRUE(near(card.pixel(0, H / 2), green));
    EXPECT_TRUE(near(card.pixel(W - 1, H / 2), green));
    EXPECT_TRUE(near(card.pixel(W / 2, 5), red)); // (1013 * 1.5 - 642) / 2 rows cut above
    EXPECT_TRUE(near(card.pixel(W / 2, H - 6), blue));

    // contain: the whole picture, centred, white at the sides; nothing cropped.
    card = preview({"--front", path("portrait.png"), "--fit", "contain"}, r);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("cropped"));
    EXPECT_EQ(card.pixel(10, H / 2), white);
    EXPECT_EQ(card.pixel(W - 11, H / 2), white);
    EXPECT_TRUE(near(card.pixel(W / 2, 5), red));
    EXPECT_TRUE(near(card.pixel(W / 2, H / 2), green));
    EXPECT_TRUE(near(card.pixel(W / 2, H - 6), blue));

    // stretch: the bands fill the card's height in thirds.
    card = preview({"--front", path("portrait.png"), "--fit", "stretch"}, r);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("cropped"));
    EXPECT_TRUE(near(card.pixel(10, 20), red));
    EXPECT_TRUE(near(card.pixel(10, H / 2), green));
    EXPECT_TRUE(near(card.pixel(10, H - 20), blue));

    for (const char* wrong : {"fill", ""})
        EXPECT_EQ(kalyxprn({"compose", "--front", path("portrait.png"), "--fit", wrong, "--preview",
                            path("p.png")})
                      .status,
                  2);
}

TEST_F(ComposePicture, TurnsAsTheFileRecordsThenAsAsked) {
    // Landscape bands across, stored as a JPEG whose orientation says: turn a quarter clockwise.
    QImageWriter writer(path("turned.jpg"));
    writer.setTransformation(QImageIOHandler::TransformationRotate90);
    ASSERT_TRUE(writer.write(bands(90, 60, true)));
    Result r;
    // Upright it is a portrait with red at the top: cover keeps the top band's lower end.
    QImage card = preview({"--front", path("turned.jpg"), "--fit", "stretch"}, r);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(near(card.pixel(W / 2, 20), red));
    EXPECT_TRUE(near(card.pixel(W / 2, H - 20), blue));

    // A further half turn puts blue on top; 90 more than the file's, red at the right.
    card = preview({"--front", path("turned.jpg"), "--fit", "stretch", "--rotate", "180"}, r);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(near(card.pixel(W / 2, 20), blue));
    card = preview({"--front", path("turned.jpg"), "--fit", "stretch", "--rotate", "90"}, r);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(near(card.pixel(W - 20, H / 2), red));
    EXPECT_TRUE(near(card.pixel(20, H / 2), blue));

    for (const char* wrong : {"45", "360", "-90", "x"})
        EXPECT_EQ(kalyxprn({"compose", "--front", path("turned.jpg"), "--rotate", wrong,
                            "--preview", path("p.png")})
                      .status,
                  2)
            << wrong;
}

TEST_F(ComposePicture, ThePreviewIsWhatRenderShows) {
    const Result r = kalyxprn({"compose", "--front", path("portrait.png"), "--back",
                               path("portrait.png"), "--fit", "contain", "--track2", ";123?",
                               "--preview", path("p.png"), "-o", path("j.prn")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(path("p-back.png"))) << r.out.toStdString();
    const char* previews[2] = {"p.png", "p-back.png"};
    for (int side = 0; side < 2; ++side) {
        const Result render = kalyxprn(
            {"render", path("j.prn"), "--side", QString::number(side), "-o", path("r.png")});
        ASSERT_EQ(render.status, 0) << render.err.toStdString();
        const QImage shown(path("r.png")), previewed(path(previews[side]));
        ASSERT_FALSE(shown.isNull());
        EXPECT_EQ(previewed.convertToFormat(QImage::Format_RGB32),
                  shown.convertToFormat(QImage::Format_RGB32))
            << side;
    }
}

TEST_F(ComposePicture, AFileThatIsNoPictureIsCalledSo) {
    ASSERT_TRUE(kalyxtest::writeFile(path("README.md"), "# Kalyx\n\nNot a picture.\n"));
    const Result r = kalyxprn({"compose", "--front", path("README.md"), "-o", path("x.prn")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("not an image Qt can read")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("x.prn")));
}

} // namespace
