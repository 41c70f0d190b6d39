// Pictures a design draws: photos and artwork in the formats Qt reads, and static SVG artwork.
// A file's declared size is checked before it is decoded, and artwork used on every card is
// decoded once.
#pragma once

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <kalyxdocument/PictureLoading.h>

#include <memory>

class QSvgRenderer;

namespace carddesign {

enum class PictureFit { Cover, Contain };

class PictureFiles {
public:
    PictureFiles();
    ~PictureFiles();

    // Empty when the file can be drawn; otherwise why not ("no such file", "not a picture").
    // Reads only the file's header.
    QString check(const QString& path);
    // Draws the picture into `box`, clipped to it, centred. `cache`: keep the decoded picture
    // for the next cards (artwork); per-row photos are not kept. Empty on success.
    QString draw(QPainter& painter, const QString& path, QRect box, PictureFit fit, bool cache);
    // The picture decoded (SVG rasterised at `box` size), for drawing in K.
    QString load(const QString& path, QSize box, bool cache, QImage& image);

    // The most pixels a picture may declare before it is decoded.
    static constexpr qint64 maxPixels = kalyxpicture::maxDesignPixels;

private:
    static bool isSvg(const QString& path);
    QString loadRaster(const QString& path, bool cache, QImage& image);
    QHash<QString, QImage> rasters_;
    QHash<QString, std::shared_ptr<QSvgRenderer>> vectors_;
};

// Where a picture of `size` lands in `box`.
QRectF fittedRect(QSizeF size, QRect box, PictureFit fit);

} // namespace carddesign
