// A card design: what is printed on each side of a card, placed in millimetres from the card's
// top-left corner, with texts, pictures, barcodes and magnetic tracks that may come from a data
// row through templates (see CardTemplate.h). The model is plain data: the reader fills it, the
// window edits it, the writer saves it, the renderer draws it.
#pragma once

#include <QColor>
#include <QMap>
#include <QString>

#include <array>
#include <optional>
#include <vector>

// The value of the "format" key every design carries.
inline constexpr const char* cardDesignFormat = "kalyx-card-design/1";

// A rectangle in millimetres. A line runs from (x, y) to (x + w, y + h), so its w and h may be
// negative; every other box has w, h >= 0.
struct CardBox {
    double x = 0;
    double y = 0;
    double w = 0;
    double h = 0;
    bool operator==(const CardBox& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

enum class CardObjectType { Text, Image, Barcode, Rect, Line };
// Where an object is printed: Auto takes K for barcodes and black text, colour otherwise.
enum class CardInk { Auto, K, Color };
enum class CardImageFit { Cover, Contain };
enum class CardAlign { Left, Center, Right };
enum class CardTextFit { None, Shrink, Wrap, ShrinkWrap };
enum class CardSymbology { Code128, Code39, Ean13, Qr, DataMatrix, Pdf417 };

struct CardFont {
    QString family = QStringLiteral("DejaVu Sans");
    double size = 10; // points
    bool bold = false;
    bool italic = false;
    bool operator==(const CardFont& o) const {
        return family == o.family && size == o.size && bold == o.bold && italic == o.italic;
    }
};

// One object of a side. Only the members of its type are used (and saved).
struct CardObject {
    CardObjectType type = CardObjectType::Rect;
    CardBox box;
    CardInk ink = CardInk::Auto;
    QString condition; // "if": drawn only when this template expands to a non-empty text

    // text
    QString text; // template
    CardFont font;
    QColor color = Qt::black;
    CardAlign align = CardAlign::Left;
    CardTextFit fit = CardTextFit::None;
    double minSize = 6; // points, the smallest size shrinking may reach
    int maxLines = 0;   // wrapping: 0 = as many as the box holds

    // image
    QString src; // template naming a file; relative names: see resolveCardFile
    CardImageFit imageFit = CardImageFit::Contain;

    // barcode
    CardSymbology symbology = CardSymbology::Code128;
    QString data;   // template
    int module = 2; // dots per module
    bool quietZone = true;
    bool humanReadable = false; // the "text" line under a linear barcode

    // rect and line; an invalid colour is "none"
    QColor fill;
    QColor stroke;             // cardObjectDefaults: black for a line
    double strokeWidth = 0.25; // millimetres

    bool operator==(const CardObject& o) const;
};

struct CardBackground {
    QColor color;  // invalid: none (the card's own white)
    QString image; // artwork file (PNG, JPEG or a static SVG); empty: none
    CardImageFit fit = CardImageFit::Cover;
    bool operator==(const CardBackground& o) const {
        return color == o.color && image == o.image && fit == o.fit;
    }
};

// The overlay varnish covers the side except the holes (for a stripe or a signature panel).
struct CardOverlay {
    bool enabled = true;
    std::vector<CardBox> holes;
    bool operator==(const CardOverlay& o) const { return enabled == o.enabled && holes == o.holes; }
};

struct CardSide {
    CardBackground background;
    std::vector<CardObject> objects; // in drawing order
    CardOverlay overlay;
    bool operator==(const CardSide& o) const {
        return background == o.background && objects == o.objects && overlay == o.overlay;
    }
};

struct CardMag {
    QString coercivity = QStringLiteral("high"); // a value of the job's coercivity option
    // Track 1, 2 and 3 texts (templates) with their sentinels; empty: track not written.
    std::array<QString, 3> tracks;
    bool operator==(const CardMag& o) const {
        return coercivity == o.coercivity && tracks == o.tracks;
    }
};

struct CardDesign {
    int width = 1013; // dots, landscape
    int height = 642;
    // Job options by path under the card element, e.g. "card-options/num-copies" -> "1". Values
    // may be templates.
    QMap<QString, QString> options;
    std::optional<CardSide> front;
    std::optional<CardSide> back;
    std::optional<CardMag> mag;
    // The folder the design was read from: artwork names resolve against it. Not saved.
    QString folder;

    bool operator==(const CardDesign& o) const {
        return width == o.width && height == o.height && options == o.options && front == o.front &&
               back == o.back && mag == o.mag;
    }
};

// A new object of `type` with the defaults a design file leaves unsaid (a rect has no stroke, a
// line a black one).
CardObject cardObjectDefaults(CardObjectType type);

// The ink an object is printed with once Auto is resolved.
CardInk effectiveInk(const CardObject& object);
