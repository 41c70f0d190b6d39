// A side's picture that scales down with the window: it keeps the card's aspect, is never drawn
// larger than 1:1, and sits centred in its frame. The picture itself is the label's pixmap,
// at full size.
#pragma once

#include <QLabel>

class CardPictureLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

    // The picture at 1:1, bounded by the maximum size.
    QSize sizeHint() const override;
    // A quarter of it: small enough for a 1280 x 720 screen with any card.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
