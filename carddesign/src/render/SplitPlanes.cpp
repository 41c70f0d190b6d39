// A side's canvas into the printer's planes. The planes run column by column and the canvas row
// by row, so this is a transposition of about 2.6 MB per side: with SSE2 it works on blocks of
// 16 x 16 dots, each plane's block transposed in registers and stored as 16 column pieces.
#include "SideCanvas.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace carddesign {

namespace {

struct Planes {
    std::size_t height;
    std::size_t kColumns; // 2: K carries each column twice
    unsigned char* y;
    unsigned char* m;
    unsigned char* c;
    unsigned char* k;
};

// Dot by dot, for the columns and rows the blocks leave over (and where SSE2 is missing).
void splitRect(const SideCanvas& canvas, const Planes& out, std::size_t x0, std::size_t x1,
               std::size_t y0, std::size_t y1) {
    const std::size_t h = out.height;
    for (std::size_t y = y0; y < y1; ++y) {
        const auto* colour = reinterpret_cast<const QRgb*>(canvas.colour().constScanLine(int(y)));
        const uchar* k = canvas.blackCoverage().constScanLine(int(y));
        const uchar* clear = canvas.knockOut().constScanLine(int(y));
        for (std::size_t x = x0; x < x1; ++x) {
            const std::size_t at = x * h + y;
            const bool black = k[x] >= SideCanvas::threshold;
            const unsigned keep = black || clear[x] >= SideCanvas::threshold ? 0u : 255u;
            const QRgb p = colour[x];
            out.y[at] = static_cast<unsigned char>((255 - qBlue(p)) & keep);
            out.m[at] = static_cast<unsigned char>((255 - qGreen(p)) & keep);
            out.c[at] = static_cast<unsigned char>((255 - qRed(p)) & keep);
            const unsigned char ink = black ? 255 : 0;
            out.k[out.kColumns * x * h + y] = ink;
            if (out.kColumns == 2)
                out.k[(2 * x + 1) * h + y] = ink;
        }
    }
}

#if defined(__SSE2__)

// Rows in, columns out: r[i] byte j becomes r[j] byte i.
void transpose16(__m128i r[16]) {
    __m128i t[16];
    for (int i = 0; i < 8; ++i) {
        t[2 * i] = _mm_unpacklo_epi8(r[2 * i], r[2 * i + 1]);
        t[2 * i + 1] = _mm_unpackhi_epi8(r[2 * i], r[2 * i + 1]);
    }
    for (int g = 0; g < 4; ++g) { // rows 4g..4g+3: columns 0-3, 4-7, 8-11, 12-15
        const __m128i* a = t + 4 * g;
        r[4 * g + 0] = _mm_unpacklo_epi16(a[0], a[2]);
        r[4 * g + 1] = _mm_unpackhi_epi16(a[0], a[2]);
        r[4 * g + 2] = _mm_unpacklo_epi16(a[1], a[3]);
        r[4 * g + 3] = _mm_unpackhi_epi16(a[1], a[3]);
    }
    for (int g = 0; g < 2; ++g) { // rows 8g..8g+7: two columns in each
        const __m128i* a = r + 8 * g;
        for (int q = 0; q < 4; ++q) {
            t[8 * g + 2 * q] = _mm_unpacklo_epi32(a[q], a[q + 4]);
            t[8 * g + 2 * q + 1] = _mm_unpackhi_epi32(a[q], a[q + 4]);
        }
    }
    for (int q = 0; q < 8; ++q) {
        r[2 * q] = _mm_unpacklo_epi64(t[q], t[q + 8]);
        r[2 * q + 1] = _mm_unpackhi_epi64(t[q], t[q + 8]);
    }
}

// One byte of each of 16 pixels (shift 0: blue, 8: green, 16: red).
__m128i channel(const __m128i p[4], int shift) {
    const __m128i low = _mm_set1_epi32(0xFF);
    const __m128i shiftBy = _mm_cvtsi32_si128(shift);
    __m128i v[4];
    for (int i = 0; i < 4; ++i)
        v[i] = _mm_and_si128(_mm_srl_epi32(p[i], shiftBy), low);
    return _mm_packus_epi16(_mm_packs_epi32(v[0], v[1]), _mm_packs_epi32(v[2], v[3]));
}

void splitBlock(const SideCanvas& canvas, const Planes& out, std::size_t x0, std::size_t y0) {
    const __m128i ones = _mm_set1_epi8(char(0xFF));
    const __m128i zero = _mm_setzero_si128();
    __m128i y[16], m[16], c[16], k[16];
    for (int r = 0; r < 16; ++r) {
        const int row = int(y0) + r;
        const auto* colour = reinterpret_cast<const __m128i*>(
            reinterpret_cast<const QRgb*>(canvas.colour().constScanLine(row)) + x0);
        const __m128i p[4] = {_mm_loadu_si128(colour), _mm_loadu_si128(colour + 1),
                              _mm_loadu_si128(colour + 2), _mm_loadu_si128(colour + 3)};
        // Coverage of at least the threshold (128) is the byte's top bit.
        const __m128i black = _mm_cmplt_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                                 canvas.blackCoverage().constScanLine(row) + x0)),
                                             zero);
        const __m128i clear = _mm_cmplt_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                                 canvas.knockOut().constScanLine(row) + x0)),
                                             zero);
        const __m128i none = _mm_or_si128(black, clear); // no colour here
        // 255 - v, or 0 where no colour prints: ~(v | none).
        y[r] = _mm_xor_si128(_mm_or_si128(channel(p, 0), none), ones);
        m[r] = _mm_xor_si128(_mm_or_si128(channel(p, 8), none), ones);
        c[r] = _mm_xor_si128(_mm_or_si128(channel(p, 16), none), ones);
        k[r] = black;
    }
    static_assert(SideCanvas::threshold == 128, "the top bit is the threshold");
    const std::size_t h = out.height;
    const auto store = [h, x0, y0](unsigned char* plane, __m128i v[16], std::size_t every,
                                   std::size_t copies) {
        transpose16(v);
        for (std::size_t j = 0; j < 16; ++j)
            for (std::size_t copy = 0; copy < copies; ++copy)
                _mm_storeu_si128(
                    reinterpret_cast<__m128i*>(plane + (every * (x0 + j) + copy) * h + y0), v[j]);
    };
    store(out.y, y, 1, 1);
    store(out.m, m, 1, 1);
    store(out.c, c, 1, 1);
    store(out.k, k, out.kColumns, out.kColumns);
}

#endif

} // namespace

void splitPlanes(const SideCanvas& canvas, bool doubleK,
                 std::array<std::vector<unsigned char>, 4>& planes) {
    const std::size_t w = std::size_t(canvas.size().width());
    const std::size_t h = std::size_t(canvas.size().height());
    const std::size_t kColumns = doubleK ? 2 : 1;
    for (int p = 0; p < 3; ++p)
        planes[std::size_t(p)].resize(w * h);
    planes[3].resize(kColumns * w * h);
    const Planes out{
        h, kColumns, planes[0].data(), planes[1].data(), planes[2].data(), planes[3].data()};
    // Every dot is written once: no clearing first.
#if defined(__SSE2__)
    const std::size_t w16 = w - w % 16, h16 = h - h % 16;
    for (std::size_t y0 = 0; y0 < h16; y0 += 16)
        for (std::size_t x0 = 0; x0 < w16; x0 += 16)
            splitBlock(canvas, out, x0, y0);
    splitRect(canvas, out, w16, w, 0, h16);
    splitRect(canvas, out, 0, w, h16, h);
#else
    splitRect(canvas, out, 0, w, 0, h);
#endif
}

} // namespace carddesign
