// A picture file made into a card picture: read (EXIF orientation honoured), turned, fitted to
// the card and laid over white.
#pragma once

#include <QImage>
#include <QString>

namespace cli {

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

// `quarterTurns` turns the picture clockwise after its own orientation is applied.
CardPicture readCardPicture(const QString& path, QSize card, Fit fit, int quarterTurns);

} // namespace cli
