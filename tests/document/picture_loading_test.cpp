// Picture files for cards: the size of what would be decoded is checked whatever the file
// wraps it in, and fitting never makes an image larger than the picture or the card.
#include <kalyxdocument/PictureLoading.h>

#include "FileBytes.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

using kalyxpicture::Fit;

QByteArray bigEndian(quint32 value) {
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray littleEndian(quint32 value, int size) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes.left(size);
}

// One PNG chunk with its checksum (CRC-32 of the type and data).
QByteArray chunk(const char* type, const QByteArray& data) {
    const QByteArray body = QByteArray(type) + data;
    quint32 crc = 0xffffffffu;
    for (const char c : body) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return bigEndian(quint32(data.size())) + body + bigEndian(~crc);
}

// A well-formed PNG header claiming width x height, and no pixels: 57 bytes.
QByteArray claimedPng(quint32 width, quint32 height) {
    const QByteArray header =
        bigEndian(width) + bigEndian(height) + QByteArray("\x08\x06\0\0\0", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IEND", {});
}

QByteArray realPng(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(0, 128, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// An icon file of one frame whose directory says 256 x 256 (a 0 byte) whatever the PNG holds.
QByteArray icoWrapping(const QByteArray& png) {
    return littleEndian(0, 2) + littleEndian(1, 2) + littleEndian(1, 2) +
           QByteArray("\0\0\0\0", 4) + littleEndian(1, 2) + littleEndian(32, 2) +
           littleEndian(quint32(png.size()), 4) + littleEndian(22, 4) + png;
}

QByteArray icnsWrapping(const QByteArray& png) {
    const QByteArray element = QByteArray("ic10") + bigEndian(quint32(png.size() + 8)) + png;
    return QByteArray("icns") + bigEndian(quint32(element.size() + 8)) + element;
}

class PictureLoading : public ::testing::Test {
protected:
    QString write(const char* name, const QByteArray& bytes) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(kalyxtest::writeFile(path, bytes));
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(PictureLoading, TheDecodedSizeIsCheckedWhateverTheContainer) {
    const struct {
        const char* name;
        QByteArray bytes;
        bool refused;
    } cases[] = {
        {"huge.png", claimedPng(12000, 12000), true},
        {"huge.ico", icoWrapping(claimedPng(12000, 12000)), true},
        {"huge.icns", icnsWrapping(claimedPng(12000, 12000)), true},
        {"wide.ico", icoWrapping(claimedPng(70000, 1000)), true},
        {"small.ico", icoWrapping(realPng(16, 16)), false},
        {"small.icns", icnsWrapping(realPng(16, 16)), false},
    };
    for (const auto& c : cases) {
        const QString path = write(c.name, c.bytes);
        const kalyxpicture::LoadedPicture loaded =
            kalyxpicture::loadPicture(path, kalyxpicture::maxComposePixels);
        if (c.refused) {
            EXPECT_TRUE(loaded.image.isNull()) << c.name;
            EXPECT_TRUE(loaded.problem.contains(" pixels; at most 64 million pixels are read"))
                << c.name << ": " << loaded.problem.toStdString();
        } else {
            EXPECT_EQ(loaded.image.size(), QSize(16, 16)) << c.name << loaded.problem.toStdString();
        }
    }
    // Card designs allow more, and say so.
    const QString path = write("design.ico", icoWrapping(claimedPng(10000, 9000)));
    EXPECT_TRUE(kalyxpicture::sizeProblem(path, kalyxpicture::maxComposePixels)
                    .contains("10000 x 9000 pixels; at most 64 million"));
    EXPECT_TRUE(kalyxpicture::sizeProblem(path, kalyxpicture::maxDesignPixels).isEmpty());
}

TEST_F(PictureLoading, AThinPictureIsCutBeforeItIsScaled) {
    const QSize card(1013, 642);
    // Scaled whole to cover the card, 1 x 20000 would be 1013 x 20,260,000 pixels.
    QImage thin(1, 20000, QImage::Format_ARGB32);
    for (int y = 0; y < thin.height(); ++y)
        thin.setPixel(0, y, y < 10000 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    const struct {
        Fit fit;
        QSize cutOff;
    } cases[] = {
        {Fit::Cover, QSize(0, 1013 * 20000 - 642)},
        {Fit::Contain, QSize(0, 0)},
        {Fit::Stretch, QSize(0, 0)},
    };
    for (const auto& c : cases) {
        const kalyxpicture::CardPicture fitted = kalyxpicture::fitToCard(thin, card, c.fit);
        ASSERT_EQ(fitted.image.size(), card) << int(c.fit) << fitted.problem.toStdString();
        EXPECT_EQ(fitted.cutOff, c.cutOff) << int(c.fit);
    }
    // Cover shows the middle of the picture: the red and blue halves meet on the card's middle row.
    const QImage covered = kalyxpicture::fitToCard(thin, card, Fit::Cover).image;
    EXPECT_GT(qRed(covered.pixel(500, 0)), 100);
    EXPECT_GT(qBlue(covered.pixel(500, 641)), 100);
    // Contain keeps the whole picture in one column with white beside it.
    const QImage contained = kalyxpicture::fitToCard(thin, card, Fit::Contain).image;
    EXPECT_EQ(contained.pixel(0, 320), qRgb(255, 255, 255));
    EXPECT_EQ(qRed(contained.pixel(506, 10)), 255);
    EXPECT_EQ(qBlue(contained.pixel(506, 630)), 255);
}

} // namespace
