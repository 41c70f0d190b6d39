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
    // The planes run column by column and the pictures row by row: a band of rows at a time,
    // so that each column's piece of every plane is written in one run and the band's rows
    // stay in the cache while they are read across. Every dot is written once (no clearing).
    constexpr std::size_t band = 32;
    const QRgb* colour[band];
    const uchar* black[band];
    const uchar* clear[band];
    for (std::size_t y0 = 0; y0 < h; y0 += band) {
        const std::size_t rows = std::min(band, h - y0);
        for (std::size_t r = 0; r < rows; ++r) {
            const int y = int(y0 + r);
            colour[r] = reinterpret_cast<const QRgb*>(canvas.colour().constScanLine(y));
            black[r] = canvas.blackCoverage().constScanLine(y);
            clear[r] = canvas.knockOut().constScanLine(y);
        }
        for (std::size_t x = 0; x < w; ++x) {
            const std::size_t at = x * h + y0;
            unsigned char* k = kp + kColumns * x * h + y0;
            for (std::size_t r = 0; r < rows; ++r) {
                const bool isBlack = black[r][x] >= SideCanvas::threshold;
                const unsigned keep = isBlack || clear[r][x] >= SideCanvas::threshold ? 0u : 255u;
                const QRgb p = colour[r][x];
                yp[at + r] = static_cast<unsigned char>((255 - qBlue(p)) & keep);
                mp[at + r] = static_cast<unsigned char>((255 - qGreen(p)) & keep);
                cp[at + r] = static_cast<unsigned char>((255 - qRed(p)) & keep);
                k[r] = isBlack ? 255 : 0;
            }
            if (kColumns == 2)
                std::copy_n(k, rows, k + h);
        }
    }
}

} // namespace carddesign
