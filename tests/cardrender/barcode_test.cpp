// Barcodes: every module a whole number of dots, zint's refusals kept as the row's problem.
#include "Barcode.h"
#include "BarcodeLayout.h"

#include <gtest/gtest.h>

namespace {

using namespace carddesign;

struct SymbolCase {
    CardSymbology symbology;
    const char* data;
};

const SymbolCase symbols[] = {
    {CardSymbology::Code128, "E-1001 Ann"}, {CardSymbology::Code39, "ABC-123"},
    {CardSymbology::Ean13, "590123412345"}, {CardSymbology::Qr, "https://example.org/1001"},
    {CardSymbology::DataMatrix, "E-1001"},  {CardSymbology::Pdf417, "Ann Lee E-1001"},
};

TEST(Barcode, EveryModuleIsWholeDotsAndEveryDarkModuleIsDrawn) {
    for (const SymbolCase& c : symbols) {
        const BarcodeSymbol symbol = encodeBarcode(c.symbology, QString::fromUtf8(c.data));
        ASSERT_TRUE(symbol.problem.isEmpty()) << c.data << ": " << symbol.problem.toStdString();
        for (int module = 1; module <= 4; ++module) {
            SCOPED_TRACE(std::string(c.data) + " module " + std::to_string(module));
            const QRect box(17, 23, 900, 600);
            const BarcodeLayout layout = layoutBarcode(symbol, box, module, true, 0);
            ASSERT_TRUE(layout.problem.isEmpty()) << layout.problem.toStdString();
            EXPECT_TRUE(box.contains(layout.symbol));
            // The quiet zone is inside the symbol's rectangle.
            const int left = layout.symbol.left() + symbol.quietX * module;
            qint64 area = 0;
            for (const QRect& bar : layout.bars) {
                EXPECT_EQ((bar.left() - left) % module, 0);
                EXPECT_EQ(bar.width() % module, 0);
                if (!symbol.linear) {
                    EXPECT_EQ(bar.height() % module, 0);
                }
                EXPECT_TRUE(layout.symbol.contains(bar));
                area += qint64(bar.width()) * bar.height();
            }
            qint64 dark = 0;
            for (int r = 0; r < symbol.rows; ++r)
                for (int x = 0; x < symbol.width; ++x)
                    dark += symbol.isDark(r, x)
                                ? (symbol.linear ? layout.symbol.height()
                                                 : symbol.rowHeights[std::size_t(r)] * module) *
                                      module
                                : 0;
            EXPECT_EQ(area, dark);
        }
    }
}

TEST(Barcode, RefusalsSayWhy) {
    struct Case {
        CardSymbology symbology;
        const char* data;
        const char* reason; // part of the problem
    };
    const Case cases[] = {
        {CardSymbology::Ean13, "59012341234x", "Invalid character"},
        {CardSymbology::Ean13, "5901234123458", "check digit"},
        {CardSymbology::Ean13, "1234567", "12 digits"}, // zint would make an EAN-8
        {CardSymbology::Code39, "é", "Invalid character"},
        {CardSymbology::Qr, "", "no data"},
        {CardSymbology::Qr, nullptr, "too long"},
    };
    for (const Case& c : cases) {
        const QString data = c.data ? QString::fromUtf8(c.data) : QString(9000, QLatin1Char('A'));
        const BarcodeSymbol symbol = encodeBarcode(c.symbology, data);
        EXPECT_TRUE(symbol.problem.contains(QLatin1String(c.reason)))
            << (c.data ? c.data : "9000 x A") << ": " << symbol.problem.toStdString();
        EXPECT_EQ(symbol.width, 0);
    }
}

TEST(Barcode, ASymbolLargerThanItsBoxIsAProblemNotAClippedCode) {
    const BarcodeSymbol qr = encodeBarcode(CardSymbology::Qr, QStringLiteral("E-1001"));
    const int side = (qr.width + 2 * qr.quietX) * 4; // 4 dots a module
    EXPECT_TRUE(layoutBarcode(qr, QRect(0, 0, side, side), 4, true, 0).problem.isEmpty());
    EXPECT_FALSE(layoutBarcode(qr, QRect(0, 0, side - 1, side), 4, true, 0).problem.isEmpty());
    EXPECT_TRUE(layoutBarcode(qr, QRect(0, 0, side - 1, side), 4, false, 0).problem.isEmpty());
    // A linear symbol keeps room for its text line and at least one module of bars.
    const BarcodeSymbol code = encodeBarcode(CardSymbology::Code128, QStringLiteral("E-1001"));
    EXPECT_FALSE(layoutBarcode(code, QRect(0, 0, 600, 40), 2, true, 40).problem.isEmpty());
    const BarcodeLayout tall = layoutBarcode(code, QRect(0, 0, 600, 100), 2, true, 40);
    ASSERT_TRUE(tall.problem.isEmpty());
    EXPECT_EQ(tall.bars.first().height(), 60);
    EXPECT_EQ(tall.text, QRect(tall.symbol.left(), 60, tall.symbol.width(), 40));
}

} // namespace
