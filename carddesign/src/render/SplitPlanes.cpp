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

// The short fixed loops below are unrolled on purpose: left as loops (GCC at -O2), the split
// takes three times the instructions.

// Rows in, columns out: r[i] byte j becomes r[j] byte i.
void transpose16(__m128i r[16]) {
    __m128i t[16];
#pragma GCC unroll 16
    for (int i = 0; i < 8; ++i) {
        t[2 * i] = _mm_unpacklo_epi8(r[2 * i], r[2 * i + 1]);
        t[2 * i + 1] = _mm_unpackhi_epi8(r[2 * i], r[2 * i + 1]);
    }
#pragma GCC unroll 16
    for (int g = 0; g < 4; ++g) { // rows 4g..4g+3: columns 0-3, 4-7, 8-11, 12-15
        const __m128i* a = t + 4 * g;
        r[4 * g + 0] = _mm_unpacklo_epi16(a[0], a[2]);
        r[4 * g + 1] = _mm_unpackhi_epi16(a[0], a[2]);
        r[4 * g + 2] = _mm_unpacklo_epi16(a[1], a[3]);
        r[4 * g + 3] = _mm_unpackhi_epi16(a[1], a[3]);
    }
#pragma GCC unroll 16
    for (int g = 0; g < 2; ++g) { // rows 8g..8g+7: two columns in each
        const __m128i* a = r + 8 * g;
#pragma GCC unroll 16
        for (int q = 0; q < 4; ++q) {
            t[8 * g + 2 * q] = _mm_unpacklo_epi32(a[q], a[q + 4]);
            t[8 * g + 2 * q + 1] = _mm_unpackhi_epi32(a[q], a[q + 4]);
        }
    }
#pragma GCC unroll 16
    for (int q = 0; q < 8; ++q) {
        r[2 * q] = _mm_unpacklo_epi64(t[q], t[q + 8]);
        r[2 * q + 1] = _mm_unpackhi_epi64(t[q], t[q + 8]);
    }
}

// The canvas's pictures as memory.
struct Rows {
    Rows(const SideCanvas& canvas)
        : colour(canvas.colour().constBits()), black(canvas.blackCoverage().constBits()),
          clear(canvas.knockOut().constBits()),
          colourStride(std::size_t(canvas.colour().bytesPerLine())),
          alphaStride(std::size_t(canvas.blackCoverage().bytesPerLine())) {}
    const uchar* colour;
    const uchar* black;
    const uchar* clear;
    std::size_t colourStride;
    std::size_t alphaStride; // both coverage pictures are Alpha8 of one size
};

void splitBlock(const Rows& in, const Planes& out, std::size_t x0, std::size_t y0) {
    static_assert(SideCanvas::threshold == 128, "the threshold is the coverage's top bit");
    const __m128i ones = _mm_set1_epi8(char(0xFF));
    const __m128i zero = _mm_setzero_si128();
    __m128i planes[4][16]; // y, m, c, k: 16 rows of 16 dots
#pragma GCC unroll 16
    for (std::size_t r = 0; r < 16; ++r) {
        const auto* colour =
            reinterpret_cast<const __m128i*>(in.colour + (y0 + r) * in.colourStride + 4 * x0);
        const std::size_t alphaAt = (y0 + r) * in.alphaStride + x0;
        const __m128i black = _mm_cmplt_epi8(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(in.black + alphaAt)), zero);
        const __m128i clear = _mm_cmplt_epi8(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(in.clear + alphaAt)), zero);
        // 16 pixels of B, G, R, A bytes into a register per channel.
        const __m128i p0 = _mm_loadu_si128(colour), p1 = _mm_loadu_si128(colour + 1);
        const __m128i p2 = _mm_loadu_si128(colour + 2), p3 = _mm_loadu_si128(colour + 3);
        const __m128i t0 = _mm_unpacklo_epi8(p0, p1), t1 = _mm_unpackhi_epi8(p0, p1);
        const __m128i t2 = _mm_unpacklo_epi8(p2, p3), t3 = _mm_unpackhi_epi8(p2, p3);
        const __m128i u0 = _mm_unpacklo_epi8(t0, t1), u1 = _mm_unpackhi_epi8(t0, t1);
        const __m128i u2 = _mm_unpacklo_epi8(t2, t3), u3 = _mm_unpackhi_epi8(t2, t3);
        const __m128i bg0 = _mm_unpacklo_epi8(u0, u1), ra0 = _mm_unpackhi_epi8(u0, u1);
        const __m128i bg1 = _mm_unpacklo_epi8(u2, u3), ra1 = _mm_unpackhi_epi8(u2, u3);
        // 255 - v, or 0 where no colour prints (under K or a knock-out): ~(v | none).
        const __m128i none = _mm_or_si128(black, clear);
        planes[0][r] = _mm_xor_si128(_mm_or_si128(_mm_unpacklo_epi64(bg0, bg1), none), ones);
        planes[1][r] = _mm_xor_si128(_mm_or_si128(_mm_unpackhi_epi64(bg0, bg1), none), ones);
        planes[2][r] = _mm_xor_si128(_mm_or_si128(_mm_unpacklo_epi64(ra0, ra1), none), ones);
        planes[3][r] = black;
    }
    unsigned char* const targets[4] = {out.y, out.m, out.c, out.k};
    for (std::size_t p = 0; p < 4; ++p) {
        __m128i* v = planes[p];
        transpose16(v);
        const bool twice = p == 3 && out.kColumns == 2;
        const std::size_t step = twice ? 2 * out.height : out.height;
        unsigned char* column = targets[p] + x0 * step + y0;
#pragma GCC unroll 16
        for (std::size_t j = 0; j < 16; ++j, column += step) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(column), v[j]);
            if (twice)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(column + out.height), v[j]);
        }
    }
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
    const Rows in(canvas);
    for (std::size_t y0 = 0; y0 < h16; y0 += 16)
        for (std::size_t x0 = 0; x0 < w16; x0 += 16)
            splitBlock(in, out, x0, y0);
    splitRect(canvas, out, w16, w, 0, h16);
    splitRect(canvas, out, 0, w, h16, h);
#else
    splitRect(canvas, out, 0, w, 0, h);
#endif
}

} // namespace carddesign
