// Text set in a box at printer resolution: lines broken at spaces, shrunk until it fits when the
// design asks for it, aligned, and turned into one outline path in card dots.
#pragma once

#include "FontLibrary.h"

#include "carddesign/CardDesign.h"

#include <QPainterPath>
#include <QRect>
#include <QString>

#include <vector>

namespace carddesign {

struct TextRequest {
    QString text;
    QString family = FontLibrary::defaultFamily();
    bool bold = false;
    bool italic = false;
    double size = 10;   // points
    double minSize = 6; // points; the smallest Shrink and ShrinkWrap go
    int maxLines = 0;   // 0: as many as the box holds
    CardTextFit fit = CardTextFit::None;
    CardAlign align = CardAlign::Left;
    QRect box; // dots on the card
    int dotsPerInch = 300;
    bool outlines = true; // false: only the size, lines and problem (a check draws nothing)
};

struct TextResult {
    QPainterPath path; // card dots; drawn even when it does not fit, for proofs
    // The same glyphs grouped so that no two groups come within two dots of each other: filling
    // the groups one after the other sets every dot as filling `path` does (each dot is reached
    // by one group only), and is several times faster for a line of many glyphs.
    std::vector<QPainterPath> pieces;
    double size = 0; // points, as set
    int lines = 0;
    QString problem; // why the text does not fit, or the font is missing
};

TextResult layoutText(const FontLibrary& fonts, const TextRequest& request);

// The height of one line of the face closest to the request's family and style at its size, in
// dots (0 when no face has that family).
double lineHeightDots(const FontLibrary& fonts, const TextRequest& request);

} // namespace carddesign
