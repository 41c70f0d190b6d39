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
        planes[std::size_t(p)].assign(w * h, 0);
    planes[3].assign(kColumns * w * h, 0);
    unsigned char* yp = planes[0].data();
    unsigned char* mp = planes[1].data();
    unsigned char* cp = planes[2].data();
    unsigned char* kp = planes[3].data();
    // Row by row through the pictures, scattering into the column-major planes: the planes of
    // one card stay in cache.
    for (std::size_t y = 0; y < h; ++y) {
        const auto* colour = reinterpret_cast<const QRgb*>(canvas.colour().constScanLine(int(y)));
        const uchar* k = canvas.blackCoverage().constScanLine(int(y));
        const uchar* clear = canvas.knockOut().constScanLine(int(y));
        for (std::size_t x = 0; x < w; ++x) {
            const std::size_t at = x * h + y;
            const bool black = k[x] >= SideCanvas::threshold;
            if (black)
                for (std::size_t c = 0; c < kColumns; ++c)
                    kp[(kColumns * x + c) * h + y] = 255;
            if (black || clear[x] >= SideCanvas::threshold)
                continue;
            const QRgb p = colour[x];
            yp[at] = static_cast<unsigned char>(255 - qBlue(p));
            mp[at] = static_cast<unsigned char>(255 - qGreen(p));
            cp[at] = static_cast<unsigned char>(255 - qRed(p));
        }
    }
}

} // namespace carddesign
