#include "Barcode.h"

#include <zint.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace carddesign {

namespace {

struct SymbologyEntry {
    CardSymbology symbology;
    int zintId;
    bool linear;
    int quietX; // modules left and right
    int quietY; // modules above and below
};

// Quiet zones are the symbologies' own minimums.
constexpr SymbologyEntry symbologies[] = {
    {CardSymbology::Code128, BARCODE_CODE128, true, 10, 0},
    {CardSymbology::Code39, BARCODE_CODE39, true, 10, 0},
    {CardSymbology::Ean13, BARCODE_EANX, true, 11, 0},
    {CardSymbology::Qr, BARCODE_QRCODE, false, 4, 4},
    {CardSymbology::DataMatrix, BARCODE_DATAMATRIX, false, 1, 1},
    {CardSymbology::Pdf417, BARCODE_PDF417, false, 2, 2},
};

const SymbologyEntry& entryOf(CardSymbology symbology) {
    return *std::find_if(std::begin(symbologies), std::end(symbologies),
                         [&](const SymbologyEntry& e) { return e.symbology == symbology; });
}

struct ZintDeleter {
    void operator()(zint_symbol* s) const { ZBarcode_Delete(s); }
};

} // namespace

int BarcodeSymbol::heightInModules() const {
    int sum = 0;
    for (int h : rowHeights)
        sum += h;
    return sum;
}

BarcodeSymbol encodeBarcode(CardSymbology symbology, const QString& data) {
    const SymbologyEntry& entry = entryOf(symbology);
    BarcodeSymbol result;
    if (data.isEmpty()) {
        result.problem = QStringLiteral("no data to encode");
        return result;
    }
    // zint makes an EAN-8 of up to 7 digits: a card that asked for EAN-13 must not get one.
    const bool digits =
        std::all_of(data.begin(), data.end(), [](QChar c) { return c >= '0' && c <= '9'; });
    if (symbology == CardSymbology::Ean13 && digits && data.size() != 12 && data.size() != 13) {
        result.problem = QStringLiteral("EAN-13 takes 12 digits, or 13 with the check digit; "
                                        "the data has %1")
                             .arg(data.size());
        return result;
    }
    std::unique_ptr<zint_symbol, ZintDeleter> symbol(ZBarcode_Create());
    if (!symbol) {
        result.problem = QStringLiteral("the barcode library is out of memory");
        return result;
    }
    symbol->symbology = entry.zintId;
    symbol->input_mode = UNICODE_MODE;
    symbol->warn_level = WARN_FAIL_ALL;
    const QByteArray utf8 = data.toUtf8();
    const int status = ZBarcode_Encode(
        symbol.get(), reinterpret_cast<const unsigned char*>(utf8.constData()), utf8.size());
    if (status >= ZINT_ERROR || symbol->rows <= 0 || symbol->width <= 0) {
        result.problem = QString::fromUtf8(symbol->errtxt).trimmed();
        if (result.problem.isEmpty())
            result.problem = QStringLiteral("the data cannot be encoded");
        return result;
    }
    result.width = symbol->width;
    result.rows = symbol->rows;
    result.linear = entry.linear && symbol->rows == 1;
    result.quietX = entry.quietX;
    result.quietY = entry.quietY;
    result.dark.resize(std::size_t(result.width) * std::size_t(result.rows));
    for (int r = 0; r < result.rows; ++r)
        for (int c = 0; c < result.width; ++c)
            result.dark[std::size_t(r) * std::size_t(result.width) + std::size_t(c)] =
                (symbol->encoded_data[r][c >> 3] >> (c & 7)) & 1;
    // Rows zint leaves at 0 share the symbol's height evenly (PDF417's rows are 3 modules).
    const float even = symbol->height / float(result.rows);
    for (int r = 0; r < result.rows; ++r) {
        const float h = symbol->row_height[r] > 0 ? symbol->row_height[r] : even;
        result.rowHeights.push_back(std::max(1, int(std::lround(h))));
    }
    if (result.linear)
        result.humanText = QString::fromUtf8(reinterpret_cast<const char*>(symbol->text));
    return result;
}

} // namespace carddesign
