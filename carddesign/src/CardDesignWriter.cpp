// Writing a design as people would write it: keys in a fixed, readable order (QJsonDocument
// would sort them), two-space indentation, every value the reader reads back to the same model.
#include "CardDesignNames.h"
#include "carddesign/CardDesignFile.h"

#include <kalyxdocument/FileReplacement.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

// The order keys are written in; keys not listed (option paths) follow in sorted order.
const char* const keyOrder[] = {
    "format", "card",       "options", "front",   "back",       "mag",      "width",
    "height", "background", "objects", "overlay", "enabled",    "holes",    "type",
    "x",      "y",          "w",       "h",       "ink",        "if",       "text",
    "src",    "symbology",  "data",    "font",    "family",     "size",     "bold",
    "italic", "color",      "image",   "align",   "fit",        "min_size", "max_lines",
    "module", "quiet_zone", "fill",    "stroke",  "coercivity", "tracks"};

int keyRank(const QString& key) {
    const auto* end = std::end(keyOrder);
    const auto* it = std::find_if(std::begin(keyOrder), end,
                                  [&](const char* k) { return key == QLatin1String(k); });
    return int(it - std::begin(keyOrder));
}

void writeValue(QByteArray& out, const QJsonValue& value, int indent);

void writeString(QByteArray& out, const QString& text) {
    const QByteArray quoted = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    out += quoted.mid(1, quoted.size() - 2);
}

void writeObject(QByteArray& out, const QJsonObject& object, int indent) {
    QStringList keys = object.keys();
    std::stable_sort(keys.begin(), keys.end(),
                     [](const QString& a, const QString& b) { return keyRank(a) < keyRank(b); });
    out += '{';
    for (int i = 0; i < keys.size(); ++i) {
        out += i ? ",\n" : "\n";
        out += QByteArray(indent + 2, ' ');
        writeString(out, keys.at(i));
        out += ": ";
        writeValue(out, object.value(keys.at(i)), indent + 2);
    }
    out += keys.isEmpty() ? QByteArray() : '\n' + QByteArray(indent, ' ');
    out += '}';
}

void writeValue(QByteArray& out, const QJsonValue& value, int indent) {
    if (value.isObject()) {
        writeObject(out, value.toObject(), indent);
    } else if (value.isArray()) {
        const QJsonArray array = value.toArray();
        out += '[';
        for (int i = 0; i < array.size(); ++i) {
            out += i ? ",\n" : "\n";
            out += QByteArray(indent + 2, ' ');
            writeValue(out, array.at(i), indent + 2);
        }
        out += array.isEmpty() ? QByteArray() : '\n' + QByteArray(indent, ' ');
        out += ']';
    } else if (value.isString()) {
        writeString(out, value.toString());
    } else if (value.isBool()) {
        out += value.toBool() ? "true" : "false";
    } else {
        out += QByteArray::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    }
}

QString colorName(const QColor& color) {
    if (!color.isValid())
        return QStringLiteral("none");
    return color.name(color.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb);
}

QJsonObject boxJson(const CardBox& box) {
    return {{"x", box.x}, {"y", box.y}, {"w", box.w}, {"h", box.h}};
}

QJsonObject objectJson(const CardObject& o) {
    QJsonObject json = boxJson(o.box);
    json.insert("type", cardNameOf(cardObjectTypeNames(), o.type));
    if (o.ink != CardInk::Auto)
        json.insert("ink", cardNameOf(cardInkNames(), o.ink));
    if (!o.condition.isEmpty())
        json.insert("if", o.condition);
    switch (o.type) {
    case CardObjectType::Text:
        json.insert("text", o.text);
        json.insert("font", QJsonObject{{"family", o.font.family},
                                        {"size", o.font.size},
                                        {"bold", o.font.bold},
                                        {"italic", o.font.italic}});
        json.insert("color", colorName(o.color));
        json.insert("align", cardNameOf(cardAlignNames(), o.align));
        json.insert("fit", cardNameOf(cardTextFitNames(), o.fit));
        json.insert("min_size", o.minSize);
        json.insert("max_lines", o.maxLines);
        break;
    case CardObjectType::Image:
        json.insert("src", o.src);
        json.insert("fit", cardNameOf(cardImageFitNames(), o.imageFit));
        break;
    case CardObjectType::Barcode:
        json.insert("symbology", cardNameOf(cardSymbologyNames(), o.symbology));
        json.insert("data", o.data);
        json.insert("module", o.module);
        json.insert("quiet_zone", o.quietZone);
        json.insert("text", o.humanReadable);
        break;
    case CardObjectType::Rect:
    case CardObjectType::Line:
        json.insert("fill", colorName(o.fill));
        json.insert("stroke", colorName(o.stroke));
        json.insert("width", o.strokeWidth);
        break;
    }
    return json;
}

QJsonObject sideJson(const CardSide& side) {
    QJsonObject json;
    if (!(side.background == CardBackground())) {
        QJsonObject background{{"color", colorName(side.background.color)},
                               {"fit", cardNameOf(cardImageFitNames(), side.background.fit)}};
        if (!side.background.image.isEmpty())
            background.insert("image", side.background.image);
        json.insert("background", background);
    }
    QJsonArray objects;
    for (const CardObject& o : side.objects)
        objects.append(objectJson(o));
    json.insert("objects", objects);
    if (!(side.overlay == CardOverlay())) {
        QJsonArray holes;
        for (const CardBox& hole : side.overlay.holes)
            holes.append(boxJson(hole));
        json.insert("overlay", QJsonObject{{"enabled", side.overlay.enabled}, {"holes", holes}});
    }
    return json;
}

} // namespace

QByteArray cardDesignToJson(const CardDesign& design) {
    QJsonObject json{{"format", cardDesignFormat},
                     {"card", QJsonObject{{"width", design.width}, {"height", design.height}}}};
    if (!design.options.isEmpty()) {
        QJsonObject options;
        for (auto it = design.options.begin(); it != design.options.end(); ++it)
            options.insert(it.key(), it.value());
        json.insert("options", options);
    }
    if (design.front)
        json.insert("front", sideJson(*design.front));
    if (design.back)
        json.insert("back", sideJson(*design.back));
    if (design.mag) {
        QJsonObject tracks;
        for (int t = 0; t < 3; ++t)
            if (!design.mag->tracks[std::size_t(t)].isEmpty())
                tracks.insert(QString::number(t + 1), design.mag->tracks[std::size_t(t)]);
        QJsonObject mag{{"coercivity", design.mag->coercivity}};
        if (!tracks.isEmpty())
            mag.insert("tracks", tracks);
        json.insert("mag", mag);
    }
    QByteArray out;
    writeObject(out, json, 0);
    return out + '\n';
}

bool saveCardDesign(const CardDesign& design, const QString& path, QString& error) {
    return kalyxfile::replaceFile(path, cardDesignToJson(design), error);
}
