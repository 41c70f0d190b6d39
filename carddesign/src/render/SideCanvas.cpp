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

void splitPlanes(const SideCanvas& canvas, bool doubleK,
                 std::array<std::vector<unsigned char>, 4>& planes) {
    const std::size_t w = std::size_t(canvas.size().width());
    const std::size_t h = std::size_t(canvas.size().height());
    const std::size_t kColumns = doubleK ? 2 : 1;
    for (int p = 0; p < 3; ++p)
        planes[std::size_t(p)].resize(w * h);
    planes[3].resize(kColumns * w * h);
    unsigned char* yp = planes[0].data();
    unsigned char* mp = planes[1].data();
    unsigned char* cp = planes[2].data();
    unsigned char* kp = planes[3].data();
    // Row by row through the pictures, every dot of every plane written once (no clearing
    // first), scattering into the column-major planes.
    for (std::size_t y = 0; y < h; ++y) {
        const auto* colour = reinterpret_cast<const QRgb*>(canvas.colour().constScanLine(int(y)));
        const uchar* k = canvas.blackCoverage().constScanLine(int(y));
        const uchar* clear = canvas.knockOut().constScanLine(int(y));
        for (std::size_t x = 0; x < w; ++x) {
            const std::size_t at = x * h + y;
            const bool black = k[x] >= SideCanvas::threshold;
            const unsigned keep = black || clear[x] >= SideCanvas::threshold ? 0u : 255u;
            const QRgb p = colour[x];
            yp[at] = static_cast<unsigned char>((255 - qBlue(p)) & keep);
            mp[at] = static_cast<unsigned char>((255 - qGreen(p)) & keep);
            cp[at] = static_cast<unsigned char>((255 - qRed(p)) & keep);
            const unsigned char ink = black ? 255 : 0;
            kp[kColumns * x * h + y] = ink;
            if (kColumns == 2)
                kp[(2 * x + 1) * h + y] = ink;
        }
    }
}

} // namespace carddesign
