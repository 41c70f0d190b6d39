#include "CardPicture.h"

#include <QFileInfo>
#include <QImageReader>
#include <QTransform>

#include <algorithm>

namespace cli {

namespace {

// Far beyond any card picture (a 2026 x 642 card at 8x), far below what exhausts memory.
constexpr qint64 maxPicturePixels = 64000000;

QImage fitted(const QImage& picture, QSize card, Fit fit, QSize& cutOff) {
    cutOff = QSize(0, 0);
    if (fit == Fit::Stretch || picture.size() == card)
        return picture.scaled(card, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage scaled = picture.scaled(
        card, fit == Fit::Cover ? Qt::KeepAspectRatioByExpanding : Qt::KeepAspectRatio,
        Qt::SmoothTransformation);
    const int left = (scaled.width() - card.width()) / 2;
    const int top = (scaled.height() - card.height()) / 2;
    if (fit == Fit::Cover) {
        cutOff = scaled.size() - card;
        return scaled.copy(left, top, card.width(), card.height());
    }
    // Transparent margins: they turn white with the rest of the picture's transparency.
    QImage canvas(card, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    const QImage source = scaled.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y)
        std::copy_n(reinterpret_cast<const QRgb*>(source.constScanLine(y)), source.width(),
                    reinterpret_cast<QRgb*>(canvas.scanLine(y - top)) - left);
    return canvas;
}

void layOverWhite(QImage& picture) {
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = line[x];
            const int a = qAlpha(p);
            auto over = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            line[x] = qRgb(over(qRed(p)), over(qGreen(p)), over(qBlue(p)));
        }
    }
}

} // namespace

bool parseFit(const QString& text, Fit& fit) {
    if (text == QLatin1String("cover"))
        fit = Fit::Cover;
    else if (text == QLatin1String("contain"))
        fit = Fit::Contain;
    else if (text == QLatin1String("stretch"))
        fit = Fit::Stretch;
    else
        return false;
    return true;
}

CardPicture readCardPicture(const QString& path, QSize card, Fit fit, int quarterTurns) {
    CardPicture result;
    if (!QFileInfo(path).isFile()) {
        result.problem = QStringLiteral("%1: no such file").arg(path);
        return result;
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    // Decoding is unbounded otherwise: a small file can claim a huge picture.
    if (size.isValid() && qint64(size.width()) * size.height() > maxPicturePixels) {
        result.problem = QStringLiteral("%1 is %2 x %3 pixels; at most %4 million pixels are read")
                             .arg(path)
                             .arg(size.width())
                             .arg(size.height())
                             .arg(maxPicturePixels / 1000000);
        return result;
    }
    QImage picture = reader.read();
    if (picture.isNull()) {
        // Qt's own wording here depends on how far it got ("File not found" for a text file).
        result.problem = QStringLiteral("%1: not an image Qt can read").arg(path);
        return result;
    }
    picture = picture.convertToFormat(QImage::Format_ARGB32);
    if (quarterTurns % 4 != 0)
        picture = picture.transformed(QTransform().rotate(90.0 * (quarterTurns % 4)));
    result.image = fitted(picture, card, fit, result.cutOff);
    if (result.image.format() != QImage::Format_ARGB32)
        result.image = result.image.convertToFormat(QImage::Format_ARGB32);
    layOverWhite(result.image);
    return result;
}

} // namespace cli
