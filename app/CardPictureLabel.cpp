#include "CardPictureLabel.h"

#include <QPainter>
#include <QPixmap>

#include <utility>

QImage CardPictureLabel::takePicture() {
    clear();
    return std::move(picture_);
}

void CardPictureLabel::showPicture(QImage picture) {
    // Free when the caller's reference is the only one; a shared picture is copied once here.
    if (picture.format() == QImage::Format_ARGB32)
        picture.reinterpretAsFormat(QImage::Format_RGB32);
    picture_ = std::move(picture);
    setPixmap(QPixmap::fromImage(picture_));
}

QSize CardPictureLabel::sizeHint() const {
    return maximumSize().boundedTo(QSize(4096, 4096));
}

QSize CardPictureLabel::minimumSizeHint() const {
    return sizeHint() / 4;
}

void CardPictureLabel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event); // the frame only
    const QPixmap picture = pixmap(Qt::ReturnByValue);
    if (picture.isNull())
        return;
    const QRect room = contentsRect();
    // Scaled contents stretch the picture to the label's box, as the label at full size does.
    const QSize box = hasScaledContents() ? maximumSize() : picture.size();
    const QSize shown = box.scaled(room.size(), Qt::KeepAspectRatio).boundedTo(box);
    QRect target(QPoint(0, 0), shown);
    target.moveCenter(room.center());
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, shown != picture.size());
    painter.drawPixmap(target, picture);
}
