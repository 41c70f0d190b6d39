#include "PictureToPlanes.h"

#include <kalyxcomms/Types.h>

#include <algorithm>

namespace cli {

void toPlanes(const QImage& picture, unsigned blackLevel, bool doubleK,
              std::array<std::vector<unsigned char>, 4>& planes) {
    const std::size_t w = std::size_t(std::max(picture.width(), 0));
    const std::size_t h = std::size_t(std::max(picture.height(), 0));
    std::vector<const QRgb*> rows(h);
    for (std::size_t y = 0; y < h; ++y)
        rows[y] = reinterpret_cast<const QRgb*>(picture.constScanLine(int(y)));
    for (auto& plane : planes)
        plane.resize(w * h);
    const unsigned kColumns = doubleK ? 2 : 1;
    planes[Orvane::PanelK].resize(kColumns * w * h);
    unsigned char* yp = planes[Orvane::PanelY].data();
    unsigned char* mp = planes[Orvane::PanelM].data();
    unsigned char* cp = planes[Orvane::PanelC].data();
    unsigned char* kp = planes[Orvane::PanelK].data();
    // Column by column, so every plane is written front to back; the rows of one column stay in
    // cache for the next ones.
    for (std::size_t x = 0; x < w; ++x) {
        unsigned char* k = kp + kColumns * x * h;
        const std::size_t at = x * h;
        for (std::size_t y = 0; y < h; ++y) {
            const QRgb p = rows[y][x];
            const unsigned r = unsigned(qRed(p)), g = unsigned(qGreen(p)), b = unsigned(qBlue(p));
            const bool black = r <= blackLevel && g <= blackLevel && b <= blackLevel;
            const unsigned colour = black ? 0u : 255u; // no colour under true black
            yp[at + y] = static_cast<unsigned char>((255 - b) & colour);
            mp[at + y] = static_cast<unsigned char>((255 - g) & colour);
            cp[at + y] = static_cast<unsigned char>((255 - r) & colour);
            k[y] = black ? 255 : 0;
        }
        if (doubleK)
            std::copy_n(k, h, k + h);
    }
}

} // namespace cli
