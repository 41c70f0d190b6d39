// A side's picture that scales down with the window: it keeps the card's aspect, is never drawn
// larger than 1:1, and sits centred in its frame. The picture itself is the label's pixmap,
// at full size.
//
// The label owns the picture's pixels and lends them out for the next picture, so redrawing a
// side (a plane box toggled) writes into memory it already has: new memory for each picture is
// slow on some systems (under wine, about 7 ms for each of these 2.6 MB pictures).
#pragma once

#include <QImage>
#include <QLabel>

class CardPictureLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

    // The picture shown (RGB32; null when there is none). Shares its pixels.
    QImage picture() const { return picture_; }
    // Hands the picture over and shows nothing until the next showPicture. The pixmap goes too,
    // so unless someone else keeps a copy, the caller holds the only reference to the pixels
    // and can write the next picture into them without their being copied.
    QImage takePicture();
    // Shows picture at full size through a pixmap that shares its pixels. Every dot of a side
    // is opaque, so an ARGB32 picture is shown as RGB32 (the same bytes), which the pixmap
    // takes as it is instead of converting it.
    void showPicture(QImage picture);

    // The picture at 1:1, bounded by the maximum size.
    QSize sizeHint() const override;
    // A quarter of it: small enough for a 1280 x 720 screen with any card.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};
