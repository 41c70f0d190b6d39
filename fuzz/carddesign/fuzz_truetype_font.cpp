// Fuzzes our TrueType reader: any bytes either load as a font or give a reason; a loaded font
// gives metrics, characters, advances and every glyph's outline, and sets text, without reading
// outside the bytes or growing without bound.
#include "FontLibrary.h"
#include "TextLayout.h"
#include "TrueTypeFont.h"

#include <QByteArray>

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using carddesign::TrueTypeFont;
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    TrueTypeFont font;
    QString problem;
    if (!font.load(bytes, problem)) {
        if (problem.isEmpty())
            std::abort(); // a refusal always says why
        return 0;
    }
    if (font.unitsPerEm() <= 0 || font.ascent() + font.descent() <= 0 || font.lineGap() < 0)
        std::abort(); // the metrics layout divides by
    for (char32_t c = 0; c < 0x300; ++c)
        if (font.glyphFor(c) >= font.glyphCount() && font.glyphFor(c) != 0)
            std::abort();
    for (int g = 0; g < font.glyphCount(); ++g) {
        font.advance(std::uint16_t(g));
        const QPainterPath path = font.outline(std::uint16_t(g));
        if (path.elementCount() > 3 * TrueTypeFont::maxOutlinePoints)
            std::abort(); // the outline's bound holds, however the parts nest
        const QRectF bounds = path.boundingRect();
        if (!std::isfinite(bounds.width()) || !std::isfinite(bounds.height()))
            std::abort();
    }
    // Text set in the font, as a design's folder would bring it.
    carddesign::FontLibrary fonts;
    if (!fonts.addFont(bytes, QStringLiteral("fuzzed.ttf"), problem))
        return 0;
    carddesign::TextRequest request;
    request.text = QStringLiteral("Ab%g é ł\nΩЖ");
    request.family = font.family();
    request.fit = CardTextFit::ShrinkWrap;
    request.box = QRect(0, 0, 300, 60);
    carddesign::layoutText(fonts, request);
    return 0;
}
