#include "SideDecoder.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The planes are column-major and the image is row-major. Each strip of tileColumns columns is
// composed column by column (contiguous reads, vectorised along the rows) into a small tile,
// which is then transposed into the image rows. Rectangles become per-column byte masks, built
// once per decode with a sweep over the columns, so the pixel loop never walks a rectangle list.

namespace {

constexpr std::uint32_t tileColumns = 16;

// Column and row spans of a rectangle, clipped to the card; false when it covers no dot.
bool clipRect(const PanelRect& r, std::uint32_t width, std::uint32_t height, std::uint32_t& x0,
              std::uint32_t& x1, std::uint32_t& y0, std::uint32_t& y1) {
    x0 = std::uint32_t(r.x);
    x1 = std::uint32_t(r.x) + std::uint32_t(r.width);
    y0 = std::uint32_t(r.y);
    y1 = std::uint32_t(r.y) + std::uint32_t(r.height);
    if (x1 < x0 || y1 < y0 || x0 >= width || y0 >= height)
        return false;
    x1 = std::min(x1, width - 1);
    y1 = std::min(y1, height - 1);
    return true;
}

// Per-column keep masks (0xFF keep, 0x00 drop) of one plane. Columns with the same set of
// covering rectangles share one mask, so there are at most 2 x rectangles + 1 of them.
class PlaneMasks {
public:
    void build(const std::vector<PanelRect>& areas, const std::vector<PanelRect>& holes,
               std::uint32_t width, std::uint32_t height) {
        std::vector<Event> events;
        events.reserve(2 * (areas.size() + holes.size()));
        auto add = [&](const std::vector<PanelRect>& rects, bool hole) {
            for (const PanelRect& r : rects) {
                std::uint32_t x0, x1, y0, y1;
                if (!clipRect(r, width, height, x0, x1, y0, y1))
                    continue;
                events.push_back({x0, y0, y1, +1, hole});
                if (x1 + 1 < width)
                    events.push_back({x1 + 1, y0, y1, -1, hole});
            }
        };
        add(areas, false);
        add(holes, true);
        std::sort(events.begin(), events.end(),
                  [](const Event& a, const Event& b) { return a.column < b.column; });

        const bool restricted = !areas.empty();
        segmentOf_.assign(width, 0);
        storage_.clear();
        // Two ways to the same masks: updating per-row counts over each event's rows (cheap for
        // the usual few rectangles), or a row-difference sweep whose cost does not grow with
        // the rows the rectangles span (bounded for hostile headers with many of them).
        std::size_t segments = 1;
        std::uint64_t spanned = 0;
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (i == 0 || events[i].column != events[i - 1].column)
                ++segments;
            spanned += events[i].bottom - events[i].top + 1;
        }
        if (spanned <= std::uint64_t(segments) * height)
            buildByCounts(events, restricted, width, height);
        else
            buildBySweep(events, restricted, width, height);
    }

    const unsigned char* column(std::uint32_t x) const { return storage_.data() + segmentOf_[x]; }

private:
    struct Event {
        std::uint32_t column;
        std::uint32_t top;
        std::uint32_t bottom;
        int delta;
        bool hole;
    };

    // Starts a new mask for columns [column, end) and returns it.
    unsigned char* newSegment(std::uint32_t column, std::uint32_t end, std::uint32_t height) {
        const std::size_t base = storage_.size();
        storage_.resize(base + height);
        for (std::uint32_t x = column; x < end; ++x)
            segmentOf_[x] = base;
        return storage_.data() + base;
    }

    void buildByCounts(const std::vector<Event>& events, bool restricted, std::uint32_t width,
                       std::uint32_t height) {
        std::vector<int> areaCount(height, 0), holeCount(height, 0);
        std::vector<unsigned char> current(height, restricted ? 0x00 : 0xFF);
        const int open = restricted ? 0 : 1; // without areas every row starts kept
        std::size_t next = 0;
        std::uint32_t column = 0;
        while (column < width) {
            std::uint32_t top = height, bottom = 0;
            while (next < events.size() && events[next].column == column) {
                const Event e = events[next++];
                int* count = (e.hole ? holeCount : areaCount).data();
                const int delta = e.delta;
                for (std::uint32_t y = e.top; y <= e.bottom; ++y)
                    count[y] += delta;
                top = std::min(top, e.top);
                bottom = std::max(bottom, e.bottom);
            }
            const int* areas = areaCount.data();
            const int* holes = holeCount.data();
            unsigned char* mask = current.data();
            for (std::uint32_t y = top; y <= bottom && y < height; ++y)
                mask[y] = static_cast<unsigned char>(
                    -static_cast<int>(((areas[y] + open) > 0) & (holes[y] == 0)));
            const std::uint32_t end = next < events.size() ? events[next].column : width;
            std::memcpy(newSegment(column, end, height), current.data(), height);
            column = end;
        }
    }

    void buildBySweep(const std::vector<Event>& events, bool restricted, std::uint32_t width,
                      std::uint32_t height) {
        std::vector<int> areaDiff(height + 1, 0), holeDiff(height + 1, 0);
        std::size_t next = 0;
        std::uint32_t column = 0;
        while (column < width) {
            while (next < events.size() && events[next].column == column) {
                const Event& e = events[next++];
                std::vector<int>& diff = e.hole ? holeDiff : areaDiff;
                diff[e.top] += e.delta;
                diff[e.bottom + 1] -= e.delta;
            }
            const std::uint32_t end = next < events.size() ? events[next].column : width;
            unsigned char* mask = newSegment(column, end, height);
            int inAreas = 0, inHoles = 0;
            for (std::uint32_t y = 0; y < height; ++y) {
                inAreas += areaDiff[y];
                inHoles += holeDiff[y];
                mask[y] = ((!restricted || inAreas > 0) && inHoles == 0) ? 0xFF : 0x00;
            }
            column = end;
        }
    }

    std::vector<unsigned char> storage_;
    std::vector<std::size_t> segmentOf_;
};

inline std::uint32_t composePixel(unsigned y, unsigned m, unsigned c, unsigned k) {
    if (k != 0) {
        const unsigned g = 255 - k;
        return 0xFF000000u | g << 16 | g << 8 | g;
    }
    return 0xFF000000u | (255 - c) << 16 | (255 - m) << 8 | (255 - y);
}

// One card column into out[0 .. height): a[p] and b[p] are the two source columns of plane p
// (the same column at single density), masks[p] its keep mask.
template <bool Masked, bool Double>
void composeColumn(const unsigned char* const a[4], const unsigned char* const b[4],
                   const unsigned char* const masks[4], std::uint32_t height, std::uint32_t* out) {
    std::uint32_t y = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i ones = _mm_set1_epi8(char(0xFF));
    const __m128i low7 = _mm_set1_epi8(0x7F);
    // Each plane's value for 16 rows; spelled out per plane so the values stay in registers.
    auto plane = [&](int p, std::uint32_t row) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a[p] + row));
        if (Double) {
            // Truncating average: (x & x2) + ((x ^ x2) >> 1).
            const __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b[p] + row));
            const __m128i half = _mm_and_si128(_mm_srli_epi16(_mm_xor_si128(x, x2), 1), low7);
            x = _mm_add_epi8(_mm_and_si128(x, x2), half);
        }
        if (Masked)
            x = _mm_and_si128(x, _mm_loadu_si128(reinterpret_cast<const __m128i*>(masks[p] + row)));
        return x;
    };
    for (; y + 16 <= height; y += 16) {
        const __m128i v[4] = {plane(0, y), plane(1, y), plane(2, y), plane(3, y)};
        const __m128i noBlack = _mm_cmpeq_epi8(v[3], zero);
        const __m128i inkK = _mm_xor_si128(v[3], ones);
        auto channel = [&](__m128i ink) {
            return _mm_or_si128(_mm_and_si128(noBlack, _mm_xor_si128(ink, ones)),
                                _mm_andnot_si128(noBlack, inkK));
        };
        const __m128i blue = channel(v[0]);
        const __m128i green = channel(v[1]);
        const __m128i red = channel(v[2]);
        const __m128i bgLo = _mm_unpacklo_epi8(blue, green);
        const __m128i bgHi = _mm_unpackhi_epi8(blue, green);
        const __m128i raLo = _mm_unpacklo_epi8(red, ones);
        const __m128i raHi = _mm_unpackhi_epi8(red, ones);
        __m128i* dst = reinterpret_cast<__m128i*>(out + y);
        _mm_storeu_si128(dst + 0, _mm_unpacklo_epi16(bgLo, raLo));
        _mm_storeu_si128(dst + 1, _mm_unpackhi_epi16(bgLo, raLo));
        _mm_storeu_si128(dst + 2, _mm_unpacklo_epi16(bgHi, raHi));
        _mm_storeu_si128(dst + 3, _mm_unpackhi_epi16(bgHi, raHi));
    }
#endif
    for (; y < height; ++y) {
        unsigned v[4];
        for (int p = 0; p < 4; ++p) {
            unsigned x = a[p][y];
            if (Double)
                x = (x + b[p][y]) / 2;
            if (Masked)
                x &= masks[p][y];
            v[p] = x;
        }
        out[y] = composePixel(v[0], v[1], v[2], v[3]);
    }
}

// Writes columns [0, count) of the tile (column-major, stride height) into the image rows.
void storeTile(const std::uint32_t* tile, std::uint32_t count, std::uint32_t height,
               std::uint32_t stride, std::uint32_t* const* rows, std::uint32_t x0) {
    std::uint32_t y = 0;
#if defined(__SSE2__)
    if (count == tileColumns) {
        for (; y + 4 <= height; y += 4) {
            for (std::uint32_t c = 0; c < tileColumns; c += 4) {
                __m128i r0 =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(tile + (c + 0) * stride + y));
                __m128i r1 =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(tile + (c + 1) * stride + y));
                __m128i r2 =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(tile + (c + 2) * stride + y));
                __m128i r3 =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(tile + (c + 3) * stride + y));
                const __m128i t0 = _mm_unpacklo_epi32(r0, r1);
                const __m128i t1 = _mm_unpacklo_epi32(r2, r3);
                const __m128i t2 = _mm_unpackhi_epi32(r0, r1);
                const __m128i t3 = _mm_unpackhi_epi32(r2, r3);
                r0 = _mm_unpacklo_epi64(t0, t1);
                r1 = _mm_unpackhi_epi64(t0, t1);
                r2 = _mm_unpacklo_epi64(t2, t3);
                r3 = _mm_unpackhi_epi64(t2, t3);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[y + 0] + x0 + c), r0);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[y + 1] + x0 + c), r1);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[y + 2] + x0 + c), r2);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[y + 3] + x0 + c), r3);
            }
        }
    }
#endif
    for (; y < height; ++y) {
        std::uint32_t* row = rows[y] + x0;
        for (std::uint32_t c = 0; c < count; ++c)
            row[c] = tile[c * stride + y];
    }
}

template <bool Masked, bool Double>
void decodeAll(const SideDecodeInput& in, const PlaneMasks* masks, const bool* masked,
               const unsigned char* zeros, const unsigned char* keepAll,
               std::uint32_t* const* rows) {
    const std::uint32_t width = in.width, height = in.height;
    // A tile of tileColumns x blockRows pixels stays in the first-level cache.
    constexpr std::uint32_t blockRows = 128;
    std::uint32_t tile[tileColumns * blockRows];
    const unsigned char* a[tileColumns][4];
    const unsigned char* b[tileColumns][4];
    const unsigned char* m[tileColumns][4];
    for (std::uint32_t x0 = 0; x0 < width; x0 += tileColumns) {
        const std::uint32_t count = std::min(tileColumns, width - x0);
        for (std::uint32_t c = 0; c < count; ++c) {
            const std::uint32_t x = x0 + c;
            for (int p = 0; p < 4; ++p) {
                if (!in.planes[p]) {
                    a[c][p] = b[c][p] = zeros;
                } else if (in.doubleDensity[p]) {
                    a[c][p] = in.planes[p] + std::size_t(2) * x * height;
                    b[c][p] = a[c][p] + height;
                } else {
                    a[c][p] = b[c][p] = in.planes[p] + std::size_t(x) * height;
                }
                m[c][p] = masked[p] ? masks[p].column(x) : keepAll;
            }
        }
        for (std::uint32_t y0 = 0; y0 < height; y0 += blockRows) {
            const std::uint32_t n = std::min(blockRows, height - y0);
            for (std::uint32_t c = 0; c < count; ++c) {
                const unsigned char* ca[4];
                const unsigned char* cb[4];
                const unsigned char* cm[4];
                for (int p = 0; p < 4; ++p) {
                    ca[p] = a[c][p] + y0;
                    cb[p] = b[c][p] + y0;
                    cm[p] = m[c][p] + y0;
                }
                composeColumn<Masked, Double>(ca, cb, cm, n, tile + c * blockRows);
            }
            storeTile(tile, count, n, blockRows, rows + y0, x0);
        }
    }
}

} // namespace

QImage decodeSideImage(const SideDecodeInput& in) {
    const std::uint32_t width = in.width, height = in.height;
    if (width == 0 || height == 0 || width > 65535 || height > 65535)
        return QImage();
    QImage image(int(width), int(height), QImage::Format_ARGB32);
    if (image.isNull())
        return image;

    std::vector<std::uint32_t*> rows(height);
    for (std::uint32_t y = 0; y < height; ++y)
        rows[y] = reinterpret_cast<std::uint32_t*>(image.scanLine(int(y)));

    PlaneMasks masks[4];
    bool masked[4] = {};
    bool anyMasked = false, anyDouble = false;
    for (int p = 0; p < 4; ++p) {
        masked[p] = !in.areas[p].empty() || !in.holes[p].empty();
        if (masked[p]) {
            masks[p].build(in.areas[p], in.holes[p], width, height);
            anyMasked = true;
        }
        anyDouble = anyDouble || (in.planes[p] && in.doubleDensity[p]);
    }
    const std::vector<unsigned char> zeros(height, 0x00), keepAll(height, 0xFF);
    if (anyMasked && anyDouble)
        decodeAll<true, true>(in, masks, masked, zeros.data(), keepAll.data(), rows.data());
    else if (anyMasked)
        decodeAll<true, false>(in, masks, masked, zeros.data(), keepAll.data(), rows.data());
    else if (anyDouble)
        decodeAll<false, true>(in, masks, masked, zeros.data(), keepAll.data(), rows.data());
    else
        decodeAll<false, false>(in, masks, masked, zeros.data(), keepAll.data(), rows.data());

    if (in.hasPatch && in.patchX < width && in.patchY < height) {
        // Left out of the preview: shown as blank card (opaque white).
        const std::uint32_t x1 = std::min<std::uint32_t>(in.patchX + in.patchWidth, width - 1);
        const std::uint32_t y1 = std::min<std::uint32_t>(in.patchY + in.patchHeight, height - 1);
        for (std::uint32_t y = in.patchY; y <= y1; ++y)
            std::fill(rows[y] + in.patchX, rows[y] + x1 + 1, 0xFFFFFFFFu);
    }
    return image;
}
