// Where a barcode's modules fall on the card: every module a whole number of dots, the symbol
// centred in its box with its quiet zone, a linear symbol as tall as the box leaves room for.
#pragma once

#include "Barcode.h"

#include <QRect>
#include <QVector>

namespace carddesign {

struct BarcodeLayout {
    QVector<QRect> bars; // dark runs of modules, in card dots
    QRect symbol;        // the symbol with its quiet zone: no colour prints there
    QRect text;          // the human-readable line under a linear symbol; empty without one
    QString problem;     // the symbol does not fit its box
};

// `textHeight` dots are kept under a linear symbol for its human-readable line (0: none).
BarcodeLayout layoutBarcode(const BarcodeSymbol& symbol, QRect box, int module, bool quietZone,
                            int textHeight);

} // namespace carddesign
