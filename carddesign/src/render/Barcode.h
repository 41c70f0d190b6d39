// Barcodes as whole modules: zint encodes the data, and the symbol is kept as a grid of modules
// so it can be drawn with every module a whole number of printer dots (never resampled).
#pragma once

#include "carddesign/CardDesign.h"

#include <QString>

#include <vector>

namespace carddesign {

// An encoded symbol: `rows` rows of `width` modules. A linear symbol (one row of bars) is drawn
// as tall as its box allows; the rows of a stacked or matrix symbol have a height in modules.
struct BarcodeSymbol {
    int width = 0;
    int rows = 0;
    bool linear = false;
    std::vector<bool> dark;      // row by row, `width` per row
    std::vector<int> rowHeights; // in modules, one per row
    int quietX = 0, quietY = 0;  // the symbology's quiet zone in modules, each side
    QString humanText;           // the line printed under a linear symbol
    QString problem;             // zint's reason when there is no symbol

    bool isDark(int row, int column) const {
        return dark[std::size_t(row) * std::size_t(width) + std::size_t(column)];
    }
    int heightInModules() const; // of a stacked or matrix symbol
};

// Encodes UTF-8 text. EAN-13 takes 12 digits (the check digit is added) or 13 with a correct
// check digit. Warnings count as errors: a symbol zint is unsure of is not printed.
BarcodeSymbol encodeBarcode(CardSymbology symbology, const QString& data);

} // namespace carddesign
