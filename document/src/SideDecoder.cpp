#include "SideDecoder.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The planes are column-major and the image is row-major. Each strip of tileColumns columns is
// composed column by column (contiguous reads, vectorised along the rows) into a small tile,
// which is then transposed into the image rows. Rectangles become per-column byte masks, built
// once per decode with a sweep over the columns, so the pixel loop never walks a rectangle list;
// a column that a plane keeps or drops whole needs no mask at all.

namespace {

constexpr std::uint32_t tileColumns = 16;

// Masks are built 16 rows at a time, so their rows are padded to a multiple of 16.
std::uint32_t paddedRows(std::uint32_t height) {
    return (height + 15) & ~15u;
}

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

// Sixteen mask rows. Masks are aligned so the pixel loop can fold each mask load into its AND.
struct alignas(16) MaskBlock {
    unsigned char rows[16];
};

// How one plane treats one column.
enum class Cover : unsigned char { keepAll, dropAll, partial };

// Per-column keep masks (0xFF keep, 0x00 drop) of one plane. Columns with the same set of
// covering rectangles share one segment, so there are at most 2 x rectangles + 1 of them, and
// only segments that keep some rows and drop others store a mask. The buffers are kept from one
// decode to the next.
class PlaneMasks {
public:
    struct Segment {
        std::size_t offset; // in blocks into the mask storage, when partial
        Cover cover;
    };

    void build(const std::vector<PanelRect>& areas, const std::vector<PanelRect>& holes,
               std::uint32_t width, std::uint32_t height) {
        height_ = height;
        stride_ = paddedRows(height);
        events_.clear();
        auto add = [&](const std::vector<PanelRect>& rects, bool hole) {
            for (const PanelRect& r : rects) {
                std::uint32_t x0, x1, y0, y1;
                if (!clipRect(r, width, height, x0, x1, y0, y1))
                    continue;
                events_.push_back({x0, y0, y1, +1, hole});
                if (x1 + 1 < width)
                    events_.push_back({x1 + 1, y0, y1, -1, hole});
            }
        };
        add(areas, false);
        add(holes, true);
        std::sort(events_.begin(), events_.end(),
                  [](const Event& a, const Event& b) { return a.column < b.column; });

        const bool restricted = !areas.empty();
        segmentOf_.resize(width);
        segments_.clear();
        storage_.clear();
        // Two ways to the same masks: updating per-row counts over each event's rows (cheap for
        // the usual few rectangles), or a row-difference sweep whose cost does not grow with
        // the rows the rectangles span (bounded for hostile headers with many of them).
        std::size_t segments = 1;
        std::uint64_t spanned = 0;
        for (std::size_t i = 0; i < events_.size(); ++i) {
            if (i == 0 || events_[i].column != events_[i - 1].column)
                ++segments;
            spanned += events_[i].bottom - events_[i].top + 1;
        }
        storage_.reserve(segments * (stride_ / 16));
        // 16-bit counts cannot overflow with fewer rectangles than that.
        const std::size_t countLimit = 32767;
        if (spanned <= std::uint64_t(segments) * height && areas.size() <= countLimit &&
            holes.size() <= countLimit)
            buildByCounts(restricted, width);
        else
            buildBySweep(restricted, width);
    }

    const Segment& segment(std::uint32_t x) const { return segments_[segmentOf_[x]]; }
    const unsigned char* mask(const Segment& s) const { return storage_[s.offset].rows; }

    // Gives back the memory a hostile header made the masks take.
    void trim() {
        const std::size_t limit = std::size_t(1) << 20; // bytes
        if (storage_.capacity() * sizeof(MaskBlock) > limit)
            storage_ = {};
        if (events_.capacity() * sizeof(Event) > limit)
            events_ = {};
    }

private:
    struct Event {
        std::uint32_t column;
        std::uint32_t top;
        std::uint32_t bottom;
        int delta;
        bool hole;
    };

    // Columns [column, end) use mask, which keeps kept of the card's rows.
    void addSegment(std::uint32_t column, std::uint32_t end, const unsigned char* mask,
                    std::uint32_t kept) {
        Segment s{storage_.size(), Cover::partial};
        if (kept == height_)
            s.cover = Cover::keepAll;
        else if (kept == 0)
            s.cover = Cover::dropAll;
        else {
            storage_.resize(storage_.size() + stride_ / 16);
            std::memcpy(storage_[s.offset].rows, mask, stride_);
        }
        const std::uint32_t index = std::uint32_t(segments_.size());
        segments_.push_back(s);
        std::fill(segmentOf_.begin() + column, segmentOf_.begin() + end, index);
    }

    static void addRows(std::int16_t* count, std::uint32_t begin, std::uint32_t end,
                        std::int16_t delta) {
        std::uint32_t y = begin;
#if defined(__SSE2__)
        for (; y < end && (y & 7) != 0; ++y)
            count[y] = std::int16_t(count[y] + delta);
        const __m128i d = _mm_set1_epi16(delta);
        for (; y + 8 <= end; y += 8) {
            __m128i* p = reinterpret_cast<__m128i*>(count + y);
            _mm_storeu_si128(p, _mm_add_epi16(_mm_loadu_si128(p), d));
        }
#endif
        for (; y < end; ++y)
            count[y] = std::int16_t(count[y] + delta);
    }

    // Recomputes the mask rows [begin, end) (multiples of 16) from the counts; returns the
    // change in kept rows.
    int refresh(std::uint32_t begin, std::uint32_t end, bool restricted) {
        const std::int16_t* areas = areaCount_.data();
        const std::int16_t* holes = holeCount_.data();
        unsigned char* mask = current_.data();
        int change = 0;
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        const __m128i ones = _mm_set1_epi8(char(0xFF));
        auto keep = [&](std::uint32_t y) {
            const __m128i h = _mm_loadu_si128(reinterpret_cast<const __m128i*>(holes + y));
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(areas + y));
            const __m128i inArea = restricted ? _mm_cmpgt_epi16(a, zero) : ones;
            return _mm_and_si128(inArea, _mm_cmpeq_epi16(h, zero));
        };
        // Kept rows counted as sums of the masks' low bits, taken out of the vectors once.
        const __m128i low = _mm_set1_epi8(1);
        __m128i added = zero, removed = zero;
        for (std::uint32_t y = begin; y < end; y += 16) {
            __m128i* p = reinterpret_cast<__m128i*>(mask + y);
            const __m128i now = _mm_packs_epi16(keep(y), keep(y + 8));
            added = _mm_add_epi64(added, _mm_sad_epu8(_mm_and_si128(now, low), zero));
            removed =
                _mm_add_epi64(removed, _mm_sad_epu8(_mm_and_si128(_mm_loadu_si128(p), low), zero));
            _mm_storeu_si128(p, now);
        }
        const __m128i delta = _mm_sub_epi64(added, removed);
        change = _mm_cvtsi128_si32(delta) + _mm_cvtsi128_si32(_mm_srli_si128(delta, 8));
#else
        for (std::uint32_t y = begin; y < end; ++y) {
            const unsigned char now = (!restricted || areas[y] > 0) && holes[y] == 0 ? 0xFF : 0x00;
            change += (now != 0) - (mask[y] != 0);
            mask[y] = now;
        }
#endif
        return change;
    }

    void buildByCounts(bool restricted, std::uint32_t width) {
        areaCount_.assign(stride_, 0);
        holeCount_.assign(stride_, 0);
        current_.assign(stride_, restricted ? 0x00 : 0xFF);
        // Rows kept by current_, the padding included (it never has a rectangle).
        std::uint32_t kept = restricted ? 0 : stride_;
        const std::uint32_t paddingKept = restricted ? 0 : stride_ - height_;
        std::size_t next = 0;
        std::uint32_t column = 0;
        while (column < width) {
            std::uint32_t top = stride_, bottom = 0;
            while (next < events_.size() && events_[next].column == column) {
                const Event& e = events_[next++];
                addRows((e.hole ? holeCount_ : areaCount_).data(), e.top, e.bottom + 1,
                        std::int16_t(e.delta));
                top = std::min(top, e.top);
                bottom = std::max(bottom, e.bottom);
            }
            if (top <= bottom)
                kept = std::uint32_t(int(kept) +
                                     refresh(top & ~15u, (bottom & ~15u) + 16, restricted));
            const std::uint32_t end = next < events_.size() ? events_[next].column : width;
            addSegment(column, end, current_.data(), kept - paddingKept);
            column = end;
        }
    }

    void buildBySweep(bool restricted, std::uint32_t width) {
        std::vector<int> areaDiff(height_ + 1, 0), holeDiff(height_ + 1, 0);
        current_.assign(stride_, 0x00);
        std::size_t next = 0;
        std::uint32_t column = 0;
        while (column < width) {
            while (next < events_.size() && events_[next].column == column) {
                const Event& e = events_[next++];
                std::vector<int>& diff = e.hole ? holeDiff : areaDiff;
                diff[e.top] += e.delta;
                diff[e.bottom + 1] -= e.delta;
            }
            const std::uint32_t end = next < events_.size() ? events_[next].column : width;
            int inAreas = 0, inHoles = 0;
            std::uint32_t kept = 0;
            for (std::uint32_t y = 0; y < height_; ++y) {
                inAreas += areaDiff[y];
                inHoles += holeDiff[y];
                const bool keep = (!restricted || inAreas > 0) && inHoles == 0;
                current_[y] = keep ? 0xFF : 0x00;
                kept += keep;
            }
            addSegment(column, end, current_.data(), kept);
            column = end;
        }
    }

    std::uint32_t height_ = 0;
    std::uint32_t stride_ = 0;
    std::vector<Event> events_;
    std::vector<std::int16_t> areaCount_, holeCount_;
    std::vector<unsigned char> current_;
    std::vector<MaskBlock> storage_;
    std::vector<Segment> segments_;
    std::vector<std::uint32_t> segmentOf_;
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
            x = _mm_and_si128(x, _mm_load_si128(reinterpret_cast<const __m128i*>(masks[p] + row)));
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

// Buffers of one thread's decodes, kept from one decode to the next.
struct Scratch {
    PlaneMasks masks[4];
    std::vector<unsigned char> zeros;
    std::vector<MaskBlock> keepAll;
    std::vector<std::uint32_t*> rows;
};

template <bool Double>
void decodeAll(const SideDecodeInput& in, const Scratch& scratch, const bool* masked,
               std::uint32_t* const* rows) {
    const std::uint32_t width = in.width, height = in.height;
    const unsigned char* zeros = scratch.zeros.data();
    const unsigned char* keepAll = scratch.keepAll.data()->rows;
    // A tile of tileColumns x blockRows pixels stays in the first-level cache.
    constexpr std::uint32_t blockRows = 128;
    std::uint32_t tile[tileColumns * blockRows];
    const unsigned char* a[tileColumns][4];
    const unsigned char* b[tileColumns][4];
    const unsigned char* m[tileColumns][4];
    bool partial[tileColumns];
    for (std::uint32_t x0 = 0; x0 < width; x0 += tileColumns) {
        const std::uint32_t count = std::min(tileColumns, width - x0);
        for (std::uint32_t c = 0; c < count; ++c) {
            const std::uint32_t x = x0 + c;
            partial[c] = false;
            for (int p = 0; p < 4; ++p) {
                m[c][p] = keepAll;
                Cover cover = Cover::keepAll;
                if (masked[p]) {
                    const PlaneMasks::Segment& s = scratch.masks[p].segment(x);
                    cover = s.cover;
                    if (cover == Cover::partial) {
                        m[c][p] = scratch.masks[p].mask(s);
                        partial[c] = true;
                    }
                }
                if (!in.planes[p] || cover == Cover::dropAll) {
                    a[c][p] = b[c][p] = zeros;
                } else if (in.doubleDensity[p]) {
                    a[c][p] = in.planes[p] + std::size_t(2) * x * height;
                    b[c][p] = a[c][p] + height;
                } else {
                    a[c][p] = b[c][p] = in.planes[p] + std::size_t(x) * height;
                }
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
                if (partial[c])
                    composeColumn<true, Double>(ca, cb, cm, n, tile + c * blockRows);
                else
                    composeColumn<false, Double>(ca, cb, cm, n, tile + c * blockRows);
            }
            storeTile(tile, count, n, blockRows, rows + y0, x0);
        }
    }
}

// Whether image's own pixels can take the decoded side: the caller holds their only reference
// (writing into pixels shared with a pixmap or a copy would detach them into new memory) and
// they are laid out as the decoder writes them. RGB32 stores opaque dots exactly as ARGB32 does.
bool canWriteInto(const QImage& image, std::uint32_t width, std::uint32_t height) {
    return image.isDetached() && image.width() == int(width) && image.height() == int(height) &&
           (image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_RGB32);
}

} // namespace

QImage decodeSideImage(const SideDecodeInput& in) {
    QImage image;
    decodeSideImage(in, image);
    return image;
}

bool decodeSideImage(const SideDecodeInput& in, QImage& image) {
    const std::uint32_t width = in.width, height = in.height;
    if (width == 0 || height == 0 || width > 65535 || height > 65535) {
        image = QImage();
        return false;
    }
    if (!canWriteInto(image, width, height))
        image = QImage(int(width), int(height), QImage::Format_ARGB32);
    if (image.isNull())
        return false;
    // Every dot is written below, so whatever the reused pixels showed before is gone.
    uchar* const bits = image.bits();
    const std::size_t bytesPerLine = std::size_t(image.bytesPerLine());

    thread_local Scratch scratch;
    scratch.rows.resize(height);
    for (std::uint32_t y = 0; y < height; ++y)
        scratch.rows[y] = reinterpret_cast<std::uint32_t*>(bits + y * bytesPerLine);
    scratch.zeros.assign(height, 0x00);
    MaskBlock keep;
    std::memset(keep.rows, 0xFF, sizeof keep.rows);
    scratch.keepAll.assign(paddedRows(height) / 16, keep);

    bool masked[4] = {};
    bool anyDouble = false;
    for (int p = 0; p < 4; ++p) {
        masked[p] = !in.areas[p].empty() || !in.holes[p].empty();
        if (masked[p])
            scratch.masks[p].build(in.areas[p], in.holes[p], width, height);
        anyDouble = anyDouble || (in.planes[p] && in.doubleDensity[p]);
    }
    if (anyDouble)
        decodeAll<true>(in, scratch, masked, scratch.rows.data());
    else
        decodeAll<false>(in, scratch, masked, scratch.rows.data());
    for (PlaneMasks& masks : scratch.masks)
        masks.trim();

    std::uint32_t* const* rows = scratch.rows.data();
    if (in.hasPatch && in.patchX < width && in.patchY < height) {
        // Left out of the preview: shown as blank card (opaque white).
        const std::uint32_t x1 = std::min<std::uint32_t>(in.patchX + in.patchWidth, width - 1);
        const std::uint32_t y1 = std::min<std::uint32_t>(in.patchY + in.patchHeight, height - 1);
        for (std::uint32_t y = in.patchY; y <= y1; ++y)
            std::fill(rows[y] + in.patchX, rows[y] + x1 + 1, 0xFFFFFFFFu);
    }
    return true;
}
