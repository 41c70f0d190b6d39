#include "SideCanvas.h"

#include <algorithm>

namespace carddesign {

SideCanvas::SideCanvas(QSize dots)
    : colour_(dots, QImage::Format_RGB32), black_(dots, QImage::Format_Alpha8),
      knockOut_(dots, QImage::Format_Alpha8) {
    colour_.fill(Qt::white);
    black_.fill(Qt::transparent);
    knockOut_.fill(Qt::transparent);
}

void SideCanvas::reset(const QImage& background) {
    if (background.size() == colour_.size() && background.format() == colour_.format()) {
        for (int y = 0; y < colour_.height(); ++y)
            std::copy_n(background.constScanLine(y), background.bytesPerLine(),
                        colour_.scanLine(y));
    } else {
        colour_ = background.convertToFormat(QImage::Format_RGB32).copy();
    }
    black_.fill(Qt::transparent);
    knockOut_.fill(Qt::transparent);
}

QImage SideCanvas::composed() const {
    QImage out = colour_.copy();
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        const uchar* k = black_.constScanLine(y);
        const uchar* clear = knockOut_.constScanLine(y);
        for (int x = 0; x < out.width(); ++x)
            if (k[x] >= threshold)
                line[x] = qRgb(0, 0, 0);
            else if (clear[x] >= threshold)
                line[x] = qRgb(255, 255, 255);
    }
    return out;
}

QImage SideCanvas::kPlane() const {
    QImage out(size(), QImage::Format_Mono);
    out.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    out.fill(0);
    for (int y = 0; y < out.height(); ++y) {
        uchar* bits = out.scanLine(y);
        const uchar* k = black_.constScanLine(y);
        for (int x = 0; x < out.width(); ++x)
            if (k[x] >= threshold)
                bits[x >> 3] |= uchar(0x80 >> (x & 7));
    }
    return out;
}

} // namespace carddesign
