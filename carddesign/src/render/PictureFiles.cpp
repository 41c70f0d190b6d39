#include "PictureFiles.h"

#include <QFileInfo>
#include <QImageReader>
#include <QSvgRenderer>

#include <kalyxdocument/PictureLoading.h>

namespace carddesign {

namespace {

// SVG artwork is small; a larger file is not a background anyone drew.
constexpr qint64 maxSvgBytes = 16 * 1024 * 1024;

QString existing(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("%1: no such file").arg(path);
    if (!info.isFile())
        return QStringLiteral("%1: not a file").arg(path);
    return QString();
}

} // namespace

PictureFiles::PictureFiles() = default;
PictureFiles::~PictureFiles() = default;

bool PictureFiles::isSvg(const QString& path) {
    return path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive);
}

QRectF fittedRect(QSizeF size, QRect box, PictureFit fit) {
    if (size.isEmpty())
        return QRectF(box);
    const QSizeF scaled =
        size.scaled(QSizeF(box.size()), fit == PictureFit::Cover ? Qt::KeepAspectRatioByExpanding
                                                                 : Qt::KeepAspectRatio);
    return QRectF(box.left() + (box.width() - scaled.width()) / 2,
                  box.top() + (box.height() - scaled.height()) / 2, scaled.width(),
                  scaled.height());
}

QString PictureFiles::check(const QString& path) {
    if (rasters_.contains(path) || vectors_.contains(path))
        return QString();
    QString problem = existing(path);
    if (!problem.isEmpty())
        return problem;
    if (isSvg(path)) {
        std::shared_ptr<QSvgRenderer> svg;
        QImage unused;
        return load(path, QSize(1, 1), true, unused);
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid())
        return QStringLiteral("%1: not a picture this program reads").arg(path);
    // Every frame, and the pictures an icon file wraps, whatever size its directory states.
    return kalyxpicture::sizeProblem(path, maxPixels);
}

QString PictureFiles::loadRaster(const QString& path, bool cache, QImage& image) {
    if (cache) {
        const auto it = rasters_.constFind(path);
        if (it != rasters_.constEnd()) {
            image = *it;
            return QString();
        }
    }
    const QString problem = check(path);
    if (!problem.isEmpty())
        return problem;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    image = reader.read();
    if (image.isNull())
        return QStringLiteral("%1: %2").arg(path, reader.errorString());
    if (image.format() != QImage::Format_ARGB32_Premultiplied && image.hasAlphaChannel())
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    else if (!image.hasAlphaChannel() && image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    if (cache)
        rasters_.insert(path, image);
    return QString();
}

QString PictureFiles::load(const QString& path, QSize box, bool cache, QImage& image) {
    if (!isSvg(path))
        return loadRaster(path, cache, image);
    std::shared_ptr<QSvgRenderer> svg = vectors_.value(path);
    if (!svg) {
        QString problem = existing(path);
        if (!problem.isEmpty())
            return problem;
        if (QFileInfo(path).size() > maxSvgBytes)
            return QStringLiteral("%1: an SVG file of more than %2 MiB is not read")
                .arg(path)
                .arg(maxSvgBytes >> 20);
        svg = std::make_shared<QSvgRenderer>(path);
        if (!svg->isValid() || svg->defaultSize().isEmpty())
            return QStringLiteral("%1: not an SVG picture this program draws").arg(path);
        if (cache)
            vectors_.insert(path, svg);
    }
    image = QImage(box, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    svg->render(&painter, QRectF(QPointF(0, 0), QSizeF(box)));
    return QString();
}

QString PictureFiles::draw(QPainter& painter, const QString& path, QRect box, PictureFit fit,
                           bool cache) {
    painter.save();
    painter.setClipRect(box);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QString problem;
    if (isSvg(path)) {
        QImage unused;
        problem = load(path, QSize(1, 1), cache, unused); // reads and checks the file once
        if (problem.isEmpty()) {
            const std::shared_ptr<QSvgRenderer> svg =
                cache ? vectors_.value(path) : std::make_shared<QSvgRenderer>(path);
            svg->render(&painter, fittedRect(QSizeF(svg->defaultSize()), box, fit));
        }
    } else {
        QImage image;
        problem = loadRaster(path, cache, image);
        if (problem.isEmpty())
            painter.drawImage(fittedRect(QSizeF(image.size()), box, fit), image);
    }
    painter.restore();
    return problem;
}

} // namespace carddesign
