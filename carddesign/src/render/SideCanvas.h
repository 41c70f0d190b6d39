// One card side while it is drawn, at printer resolution: the colour picture, the coverage of
// black (K) ink and where colour is knocked out. Splitting it gives the printer's planes.
#pragma once

#include <QImage>
#include <QPainter>

#include <array>
#include <vector>

namespace carddesign {

class SideCanvas {
public:
    explicit SideCanvas(QSize dots);

    QSize size() const { return colour_.size(); }
    // Starts the next card on the same memory: `background` (same size) as its colour, no K and
    // nothing knocked out.
    void reset(const QImage& background);
    // Starts the next card as a copy of `base` (same size): its colour, K and knock-out.
    void reset(const SideCanvas& base);
    // The same when the canvas differs from `base` only inside `touched`: only those dots are
    // copied.
    void reset(const SideCanvas& base, const std::vector<QRect>& touched);
    // Colour objects draw here; it starts white.
    QImage& colour() { return colour_; }
    const QImage& colour() const { return colour_; }
    // K objects draw here in opaque black; a dot prints K where its coverage is at least half.
    QImage& blackCoverage() { return black_; }
    const QImage& blackCoverage() const { return black_; }
    // Dots drawn here get no colour (behind a barcode and its quiet zone).
    QImage& knockOut() { return knockOut_; }
    const QImage& knockOut() const { return knockOut_; }

    bool isBlack(int x, int y) const { return black_.constScanLine(y)[x] >= threshold; }

    // The side as it prints: colour with K on top (for previews without a job).
    QImage composed() const;
    // The K plane alone: one bit per dot (Format_Mono, 1 = black), as splitPlanes sets it.
    QImage kPlane() const;

    static constexpr unsigned char threshold = 128;

private:
    QImage colour_;
    QImage black_;
    QImage knockOut_;
};

// Y, M and C are the complements of blue, green and red; K is 255 where the K coverage reaches
// the threshold and 0 elsewhere (never dithered), and under K or a knock-out no colour prints.
// Planes hold one byte per dot, column by column; with `doubleK` K carries each column twice.
void splitPlanes(const SideCanvas& canvas, bool doubleK,
                 std::array<std::vector<unsigned char>, 4>& planes);

} // namespace carddesign
