#include <kalyxdocument/PictureLoading.h>

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTransform>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace kalyxpicture {

namespace {

// Frames beyond these are not looked at (nor ever decoded: only the first is).
constexpr int maxFramesChecked = 256;

QString tooLarge(const QString& path, QSize size, qint64 maxPixels) {
    return QStringLiteral("%1 is %2 x %3 pixels; at most %4 million pixels are read")
        .arg(path)
        .arg(size.width())
        .arg(size.height())
        .arg(maxPixels / 1000000);
}

bool exceeds(qint64 width, qint64 height, qint64 maxPixels) {
    return width > 0 && height > 0 && width * height > maxPixels;
}

quint32 bigEndian32(const unsigned char* p) {
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

// A PNG anywhere in the file (an icon container holds its large frames as PNG files and states
// their size as 0 or 256): the size its header gives, which is what would be decoded.
QString wrappedPngProblem(const QString& path, qint64 maxPixels) {
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    constexpr int headerBytes = 24; // signature, chunk length, "IHDR", width, height
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString(); // the reader says why it cannot read it
    QByteArray window;
    for (;;) {
        const QByteArray piece = file.read(1 << 20);
        if (piece.isEmpty())
            break;
        window += piece;
        const auto* bytes = reinterpret_cast<const unsigned char*>(window.constData());
        const int size = window.size();
        for (int at = 0; at + headerBytes <= size; ++at) {
            if (bytes[at] != 0x89 || std::memcmp(bytes + at, signature, 8) != 0 ||
                std::memcmp(bytes + at + 12, "IHDR", 4) != 0)
                continue;
            const qint64 width = bigEndian32(bytes + at + 16);
            const qint64 height = bigEndian32(bytes + at + 20);
            if (exceeds(width, height, maxPixels))
                return tooLarge(path,
                                QSize(int(std::min<qint64>(width, INT_MAX)),
                                      int(std::min<qint64>(height, INT_MAX))),
                                maxPixels);
        }
        // Keep what could be the start of a header cut by the piece's end.
        window = window.right(headerBytes - 1);
    }
    return QString();
}

QImage laidOverWhite(QImage picture) {
    if (picture.format() != QImage::Format_ARGB32)
        picture = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = line[x];
            const int a = qAlpha(p);
            auto over = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            line[x] = qRgb(over(qRed(p)), over(qGreen(p)), over(qBlue(p)));
        }
    }
    return picture;
}

// Cover: the size the whole picture would have when scaled to fill the card (as
// Qt::KeepAspectRatioByExpanding gives it), computed rather than made.
QSize coverSize(QSize picture, QSize card) {
    const qint64 w = picture.width(), h = picture.height();
    const qint64 widthAtCardHeight = card.height() * w / h;
    if (widthAtCardHeight >= card.width())
        return QSize(int(std::min<qint64>(widthAtCardHeight, INT_MAX)), card.height());
    return QSize(card.width(), int(std::min<qint64>(card.width() * h / w, INT_MAX)));
}

// Contain: the largest size of the picture's shape inside the card, at least one dot each way.
QSize containSize(QSize picture, QSize card) {
    const qint64 w = picture.width(), h = picture.height();
    const qint64 widthAtCardHeight = card.height() * w / h;
    if (widthAtCardHeight <= card.width())
        return QSize(int(std::max<qint64>(widthAtCardHeight, 1)), card.height());
    return QSize(card.width(), int(std::max<qint64>(card.width() * h / w, 1)));
}

} // namespace

QString sizeProblem(const QString& path, qint64 maxPixels) {
    QImageReader probe(path);
    const int frames = std::min(std::max(probe.imageCount(), 1), maxFramesChecked);
    for (int i = 0; i < frames; ++i) {
        if (i > 0 && !probe.jumpToImage(i))
            break;
        const QSize size = probe.size();
        if (size.isValid() && exceeds(size.width(), size.height(), maxPixels))
            return tooLarge(path, size, maxPixels);
    }
    return wrappedPngProblem(path, maxPixels);
}

LoadedPicture loadPicture(const QString& path, qint64 maxPixels) {
    LoadedPicture result;
    if (!QFileInfo(path).isFile()) {
        result.problem = QStringLiteral("%1: no such file").arg(path);
        return result;
    }
    // Decoding is unbounded otherwise: a small file can claim a huge picture.
    result.problem = sizeProblem(path, maxPixels);
    if (!result.problem.isEmpty())
        return result;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QImage picture = reader.read();
    if (picture.isNull()) {
        // Qt's own wording here depends on how far it got ("File not found" for a text file).
        result.problem = QStringLiteral("%1: not an image Qt can read").arg(path);
        return result;
    }
    // Whatever a format's header said, the picture decoded is what counts from here on.
    if (exceeds(picture.width(), picture.height(), maxPixels)) {
        result.problem = tooLarge(path, picture.size(), maxPixels);
        return result;
    }
    result.image = picture.convertToFormat(QImage::Format_ARGB32);
    return result;
}

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

CardPicture fitToCard(const QImage& picture, QSize card, Fit fit) {
    CardPicture result;
    result.cutOff = QSize(0, 0);
    if (picture.isNull() || card.isEmpty()) {
        result.problem = QStringLiteral("no picture to fit");
        return result;
    }
    if (fit == Fit::Stretch || picture.size() == card) {
        result.image =
            laidOverWhite(picture.scaled(card, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    } else if (fit == Fit::Cover) {
        // Only the part that will be on the card is scaled: a picture far narrower than the
        // card would otherwise become a huge image first.
        const QSize whole = coverSize(picture.size(), card);
        result.cutOff = whole - card;
        const double toSource = double(picture.width()) / whole.width();
        const double toSourceY = double(picture.height()) / whole.height();
        const double x0 = (result.cutOff.width() / 2) * toSource;
        const double y0 = (result.cutOff.height() / 2) * toSourceY;
        const int left = int(std::floor(x0)), top = int(std::floor(y0));
        const int right = std::min(picture.width(), int(std::ceil(x0 + card.width() * toSource)));
        const int bottom =
            std::min(picture.height(), int(std::ceil(y0 + card.height() * toSourceY)));
        const QImage part =
            picture.copy(left, top, std::max(1, right - left), std::max(1, bottom - top));
        result.image =
            laidOverWhite(part.scaled(card, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    } else {
        const QImage scaled = picture
                                  .scaled(containSize(picture.size(), card), Qt::IgnoreAspectRatio,
                                          Qt::SmoothTransformation)
                                  .convertToFormat(QImage::Format_ARGB32);
        // Transparent margins: they turn white with the rest of the picture's transparency.
        QImage canvas(card, QImage::Format_ARGB32);
        canvas.fill(Qt::transparent);
        const int left = (card.width() - scaled.width()) / 2;
        const int top = (card.height() - scaled.height()) / 2;
        for (int y = 0; y < scaled.height(); ++y)
            std::copy_n(reinterpret_cast<const QRgb*>(scaled.constScanLine(y)), scaled.width(),
                        reinterpret_cast<QRgb*>(canvas.scanLine(y + top)) + left);
        result.image = laidOverWhite(canvas);
    }
    if (result.image.isNull())
        result.problem = QStringLiteral("not enough memory to fit the picture to the card");
    return result;
}

CardPicture readCardPicture(const QString& path, QSize card, Fit fit, int quarterTurns,
                            qint64 maxPixels) {
    LoadedPicture loaded = loadPicture(path, maxPixels);
    if (loaded.image.isNull()) {
        CardPicture failed;
        failed.problem = loaded.problem;
        return failed;
    }
    if (quarterTurns % 4 != 0)
        loaded.image = loaded.image.transformed(QTransform().rotate(90.0 * (quarterTurns % 4)));
    CardPicture result = fitToCard(loaded.image, card, fit);
    if (!result.problem.isEmpty())
        result.problem = QStringLiteral("%1: %2").arg(path, result.problem);
    return result;
}

} // namespace kalyxpicture
