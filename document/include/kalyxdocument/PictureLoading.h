// Picture files made into card pictures, with bounds on what that may cost. The size of every
// frame a file holds is checked before anything is decoded, including the pictures an .ico or
// .icns file wraps, whose directory may state another size; and fitting cuts out the part that
// will be on the card before scaling it, so no image along the way is larger than the picture
// read or the card.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace kalyxpicture {

// Far beyond any card picture (a 2026 x 642 card at 8x), far below what exhausts memory.
constexpr qint64 maxComposePixels = 64000000;
// Card designs take camera photos as they come.
constexpr qint64 maxDesignPixels = 100000000;

// Empty when no frame of the file is larger than `maxPixels`; otherwise the reason, naming the
// size found ("photo.ico is 12000 x 12000 pixels; at most 64 million pixels are read").
QString sizeProblem(const QString& path, qint64 maxPixels);

struct LoadedPicture {
    QImage image;    // Format_ARGB32, turned as the file's EXIF orientation says; null on failure
    QString problem; // why there is no image
};
LoadedPicture loadPicture(const QString& path, qint64 maxPixels);

// How a picture of another shape meets the card.
enum class Fit {
    Cover,   // fills the card; what overflows is cut off, centred
    Contain, // the whole picture, centred, with white margins
    Stretch, // pulled to the card's shape
};
bool parseFit(const QString& text, Fit& fit);

struct CardPicture {
    QImage image;    // card size, opaque RGB, null on failure
    QSize cutOff;    // columns and rows cut off by Cover, 0 x 0 when nothing was
    QString problem; // why there is no image
};

// `picture` fitted to `card` and laid over white.
CardPicture fitToCard(const QImage& picture, QSize card, Fit fit);
// The file read, turned `quarterTurns` times clockwise after its own orientation, and fitted.
CardPicture readCardPicture(const QString& path, QSize card, Fit fit, int quarterTurns,
                            qint64 maxPixels = maxComposePixels);

} // namespace kalyxpicture
