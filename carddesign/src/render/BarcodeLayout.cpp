#include "BarcodeLayout.h"

namespace carddesign {

BarcodeLayout layoutBarcode(const BarcodeSymbol& symbol, QRect box, int module, bool quietZone,
                            int textHeight) {
    BarcodeLayout layout;
    const int qx = quietZone ? symbol.quietX : 0;
    const int qy = quietZone ? symbol.quietY : 0;
    const qint64 width = qint64(symbol.width + 2 * qx) * module;
    const int textRoom = symbol.linear && textHeight > 0 ? textHeight : 0;
    const qint64 barHeight =
        symbol.linear ? qint64(box.height()) - textRoom : qint64(symbol.heightInModules()) * module;
    const qint64 height = symbol.linear ? box.height() : barHeight + qint64(2 * qy) * module;
    // A linear symbol stretches to its box: at least one module tall besides its text.
    const qint64 needed = symbol.linear ? textRoom + module : height;
    if (width > box.width() || needed > box.height()) {
        layout.problem = QStringLiteral("the barcode needs %1 x %2 dots at %3 dots a module; its "
                                        "box is %4 x %5")
                             .arg(width)
                             .arg(needed)
                             .arg(module)
                             .arg(box.width())
                             .arg(box.height());
        return layout;
    }
    const int left = box.left() + int((box.width() - width) / 2);
    const int top = box.top() + int((box.height() - height) / 2);
    layout.symbol = QRect(left, top, int(width), int(height));
    int y = top + qy * module;
    for (int row = 0; row < symbol.rows; ++row) {
        const int rowHeight =
            symbol.linear ? int(barHeight) : symbol.rowHeights[std::size_t(row)] * module;
        for (int c = 0; c < symbol.width;) {
            if (!symbol.isDark(row, c)) {
                ++c;
                continue;
            }
            int end = c;
            while (end < symbol.width && symbol.isDark(row, end))
                ++end;
            layout.bars.push_back(
                QRect(left + (qx + c) * module, y, (end - c) * module, rowHeight));
            c = end;
        }
        y += rowHeight;
    }
    if (textRoom > 0)
        layout.text = QRect(left, top + int(barHeight), int(width), textRoom);
    return layout;
}

} // namespace carddesign
