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

void SideCanvas::reset(const SideCanvas& base) {
    const auto copy = [](const QImage& from, QImage& to) {
        std::copy_n(from.constBits(), from.sizeInBytes(), to.bits());
    };
    copy(base.colour_, colour_);
    copy(base.black_, black_);
    copy(base.knockOut_, knockOut_);
}

void SideCanvas::reset(const SideCanvas& base, const std::vector<QRect>& touched) {
    const auto copy = [](const QImage& from, QImage& to, const QRect& r, int bytesPerDot) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::copy_n(from.constScanLine(y) + r.left() * bytesPerDot, r.width() * bytesPerDot,
                        to.scanLine(y) + r.left() * bytesPerDot);
    };
    const QRect all(QPoint(0, 0), size());
    for (const QRect& rect : touched) {
        const QRect r = rect.intersected(all);
        copy(base.colour_, colour_, r, 4);
        copy(base.black_, black_, r, 1);
        copy(base.knockOut_, knockOut_, r, 1);
    }
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
