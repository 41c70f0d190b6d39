// Reading a design: every key is known, every value has its type and range, every template is
// well formed and every object lies on the card. The first fault found ends the reading with
// its place in the document.
#include "CardDesignLimits.h"
#include "CardDesignNames.h"
#include "carddesign/CardDesignFile.h"
#include "carddesign/CardTemplate.h"
#include "carddesign/CardUnits.h"

#include "carddesign/CardOptions.h"

#include <kalyxdocument/OptionTable.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace {

QString member(const QString& path, const char* key) {
    return path.isEmpty() ? QLatin1String(key) : path + QLatin1Char('.') + QLatin1String(key);
}

QString element(const QString& path, int index) {
    return path + QStringLiteral("[%1]").arg(index);
}

QString mmText(double mm) {
    return QString::number(mm, 'f', 2);
}

class Reader {
public:
    explicit Reader(CardDesign& design) : design_(design) {}

    bool design(const QJsonValue& root);
    const QString& error() const { return error_; }

private:
    bool fail(const QString& path, const QString& message) {
        if (error_.isEmpty())
            error_ = path.isEmpty() ? message : path + QStringLiteral(": ") + message;
        return false;
    }

    bool objectValue(const QJsonValue& value, const QString& path, QJsonObject& out);
    bool arrayValue(const QJsonValue& value, const QString& path, int maxCount, QJsonArray& out);
    bool knownKeys(const QJsonObject& object, const QString& path,
                   std::initializer_list<const char*> known);
    bool required(const QJsonObject& object, const QString& path, const char* key);
    bool number(const QJsonObject& object, const char* key, const QString& path, double min,
                double max, double& out);
    bool integer(const QJsonObject& object, const char* key, const QString& path, int min, int max,
                 int& out);
    bool boolean(const QJsonObject& object, const char* key, const QString& path, bool& out);
    bool text(const QJsonObject& object, const char* key, const QString& path, QString& out,
              bool isTemplate);
    bool color(const QJsonObject& object, const char* key, const QString& path, QColor& out,
               bool noneAllowed);
    template <typename E>
    bool choice(const QJsonObject& object, const char* key, const QString& path,
                const CardNameTable<E>& names, E& out);

    bool card(const QJsonObject& root);
    bool options(const QJsonObject& root);
    bool option(const QString& key, const QJsonValue& value, const QString& path);
    bool side(const QJsonValue& value, const QString& path, CardSide& side);
    bool background(const QJsonValue& value, const QString& path, CardBackground& background);
    bool overlay(const QJsonValue& value, const QString& path, CardOverlay& overlay);
    bool box(const QJsonObject& object, const QString& path, bool line, CardBox& box);
    bool onCard(const CardBox& box, const QString& path);
    bool drawable(const CardObject& object, const QString& path);
    bool cardObject(const QJsonValue& value, const QString& path, CardObject& object);
    bool textObject(const QJsonObject& json, const QString& path, CardObject& object);
    bool barcodeObject(const QJsonObject& json, const QString& path, CardObject& object);
    bool font(const QJsonValue& value, const QString& path, CardFont& font);
    bool mag(const QJsonValue& value, const QString& path, CardMag& mag);

    CardDesign& design_;
    QString error_;
};

bool Reader::objectValue(const QJsonValue& value, const QString& path, QJsonObject& out) {
    if (!value.isObject())
        return fail(path, QStringLiteral("must be an object { ... }"));
    out = value.toObject();
    return true;
}

bool Reader::arrayValue(const QJsonValue& value, const QString& path, int maxCount,
                        QJsonArray& out) {
    if (!value.isArray())
        return fail(path, QStringLiteral("must be a list [ ... ]"));
    out = value.toArray();
    if (out.size() > maxCount)
        return fail(
            path,
            QStringLiteral("has %1 entries; at most %2 are allowed").arg(out.size()).arg(maxCount));
    return true;
}

bool Reader::knownKeys(const QJsonObject& object, const QString& path,
                       std::initializer_list<const char*> known) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        const bool found = std::any_of(known.begin(), known.end(),
                                       [&](const char* k) { return it.key() == QLatin1String(k); });
        if (found)
            continue;
        QStringList names;
        for (const char* k : known)
            names << QLatin1String(k);
        return fail(path.isEmpty() ? it.key() : path + QLatin1Char('.') + it.key(),
                    QStringLiteral("unknown key (known here: %1)").arg(names.join(", ")));
    }
    return true;
}

bool Reader::required(const QJsonObject& object, const QString& path, const char* key) {
    return object.contains(QLatin1String(key)) || fail(member(path, key), "is required");
}

bool Reader::number(const QJsonObject& object, const char* key, const QString& path, double min,
                    double max, double& out) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        return true;
    if (!value.isDouble() || value.toDouble() < min || value.toDouble() > max)
        return fail(member(path, key),
                    QStringLiteral("must be a number from %1 to %2").arg(min).arg(max));
    out = value.toDouble();
    return true;
}

bool Reader::integer(const QJsonObject& object, const char* key, const QString& path, int min,
                     int max, int& out) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        return true;
    const double d = value.toDouble();
    if (!value.isDouble() || d < min || d > max || d != std::floor(d))
        return fail(member(path, key),
                    QStringLiteral("must be a whole number from %1 to %2").arg(min).arg(max));
    out = int(d);
    return true;
}

bool Reader::boolean(const QJsonObject& object, const char* key, const QString& path, bool& out) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        return true;
    if (!value.isBool())
        return fail(member(path, key), QStringLiteral("must be true or false"));
    out = value.toBool();
    return true;
}

bool Reader::text(const QJsonObject& object, const char* key, const QString& path, QString& out,
                  bool isTemplate) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        return true;
    if (!value.isString())
        return fail(member(path, key), QStringLiteral("must be a text \"...\""));
    const QString s = value.toString();
    if (!s.isValidUtf16())
        return fail(member(path, key), QStringLiteral("holds a broken character (\\u escape)"));
    if (s.size() > CardDesignLimits::maxTextLength)
        return fail(
            member(path, key),
            QStringLiteral("is longer than %1 characters").arg(CardDesignLimits::maxTextLength));
    if (isTemplate) {
        const QString problem = checkCardTemplate(s);
        if (!problem.isEmpty())
            return fail(member(path, key), problem);
    }
    out = s;
    return true;
}

bool Reader::color(const QJsonObject& object, const char* key, const QString& path, QColor& out,
                   bool noneAllowed) {
    QString name;
    if (!object.contains(QLatin1String(key)))
        return true;
    if (!text(object, key, path, name, false))
        return false;
    if (noneAllowed && name == QLatin1String("none")) {
        out = QColor();
        return true;
    }
    QColor c;
    if (name.startsWith(QLatin1Char('#')) || QColor::isValidColor(name))
        c.setNamedColor(name);
    if (!c.isValid())
        return fail(member(path, key),
                    QStringLiteral("'%1' is not a colour (#rrggbb, #aarrggbb or a name%2)")
                        .arg(name, noneAllowed ? QStringLiteral(", or none") : QString()));
    out = QColor::fromRgba(c.rgba()); // 8 bits a channel, as the writer writes it
    return true;
}

template <typename E>
bool Reader::choice(const QJsonObject& object, const char* key, const QString& path,
                    const CardNameTable<E>& names, E& out) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        return true;
    for (const auto& entry : names) {
        if (value.toString() == QLatin1String(entry.first)) {
            out = entry.second;
            return true;
        }
    }
    return fail(member(path, key), QStringLiteral("must be one of %1").arg(cardNameList(names)));
}

bool Reader::design(const QJsonValue& root) {
    QJsonObject json;
    if (!root.isObject())
        return fail(QString(), QStringLiteral("the design must be a JSON object { ... }"));
    json = root.toObject();
    const QJsonValue format = json.value(QLatin1String("format"));
    if (format.isUndefined())
        return fail("format", QStringLiteral("is required (\"%1\")").arg(cardDesignFormat));
    if (format.toString() != QLatin1String(cardDesignFormat))
        return fail("format",
                    QStringLiteral("this program reads \"%1\" designs, not %2")
                        .arg(cardDesignFormat, format.isString()
                                                   ? QLatin1Char('"') + format.toString() + '"'
                                                   : QStringLiteral("this value")));
    if (!knownKeys(json, QString(), {"format", "card", "options", "front", "back", "mag"}) ||
        !card(json) || !options(json))
        return false;
    if (json.contains("front") && !side(json.value("front"), "front", design_.front.emplace()))
        return false;
    if (json.contains("back") && !side(json.value("back"), "back", design_.back.emplace()))
        return false;
    if (json.contains("mag") && !mag(json.value("mag"), "mag", design_.mag.emplace()))
        return false;
    return true;
}

bool Reader::card(const QJsonObject& root) {
    if (!root.contains("card"))
        return true;
    QJsonObject json;
    if (!objectValue(root.value("card"), "card", json) ||
        !knownKeys(json, "card", {"width", "height"}) ||
        !integer(json, "width", "card", 1, CardDesignLimits::maxDots, design_.width) ||
        !integer(json, "height", "card", 1, CardDesignLimits::maxDots, design_.height))
        return false;
    if (design_.height > design_.width)
        return fail("card", QStringLiteral("the card is landscape: its height (%1 dots) must "
                                           "not exceed its width (%2 dots)")
                                .arg(design_.height)
                                .arg(design_.width));
    return true;
}

bool Reader::options(const QJsonObject& root) {
    if (!root.contains("options"))
        return true;
    QJsonObject json;
    if (!objectValue(root.value("options"), "options", json))
        return false;
    if (json.size() > CardDesignLimits::maxOptions)
        return fail("options", QStringLiteral("has %1 entries; at most %2 are allowed")
                                   .arg(json.size())
                                   .arg(CardDesignLimits::maxOptions));
    for (auto it = json.begin(); it != json.end(); ++it)
        if (!option(it.key(), it.value(), "options." + it.key()))
            return false;
    return true;
}

bool Reader::option(const QString& key, const QJsonValue& value, const QString& path) {
    if (!value.isString())
        return fail(path, QStringLiteral("must be a text \"...\""));
    const QString v = value.toString();
    if (!v.isValidUtf16())
        return fail(path, QStringLiteral("holds a broken character (\\u escape)"));
    if (v.size() > CardDesignLimits::maxTextLength)
        return fail(
            path,
            QStringLiteral("is longer than %1 characters").arg(CardDesignLimits::maxTextLength));
    const QString templateProblem = checkCardTemplate(v);
    if (!templateProblem.isEmpty())
        return fail(path, templateProblem);
    CardOptionPath parsed;
    QString problem;
    if (!parseCardOptionPath(key, parsed, problem))
        return fail(path, problem);
    if (!isCardTemplateVariable(v)) {
        const QString wrong = checkCardOptionValue(key, expandCardTemplate(v, {}));
        if (!wrong.isEmpty())
            return fail(path, wrong);
    }
    design_.options.insert(key, v);
    return true;
}

bool Reader::side(const QJsonValue& value, const QString& path, CardSide& side) {
    QJsonObject json;
    if (!objectValue(value, path, json) ||
        !knownKeys(json, path, {"background", "objects", "overlay"}))
        return false;
    if (json.contains("background") &&
        !background(json.value("background"), member(path, "background"), side.background))
        return false;
    if (json.contains("overlay") &&
        !overlay(json.value("overlay"), member(path, "overlay"), side.overlay))
        return false;
    if (!json.contains("objects"))
        return true;
    const QString objectsPath = member(path, "objects");
    QJsonArray objects;
    if (!arrayValue(json.value("objects"), objectsPath, CardDesignLimits::maxObjects, objects))
        return false;
    side.objects.resize(std::size_t(objects.size()));
    for (int i = 0; i < objects.size(); ++i)
        if (!cardObject(objects.at(i), element(objectsPath, i), side.objects[std::size_t(i)]))
            return false;
    return true;
}

bool Reader::background(const QJsonValue& value, const QString& path, CardBackground& background) {
    QJsonObject json;
    return objectValue(value, path, json) && knownKeys(json, path, {"color", "image", "fit"}) &&
           color(json, "color", path, background.color, true) &&
           text(json, "image", path, background.image, false) &&
           choice(json, "fit", path, cardImageFitNames(), background.fit);
}

bool Reader::overlay(const QJsonValue& value, const QString& path, CardOverlay& overlay) {
    QJsonObject json;
    if (!objectValue(value, path, json) || !knownKeys(json, path, {"enabled", "holes"}) ||
        !boolean(json, "enabled", path, overlay.enabled))
        return false;
    if (!json.contains("holes"))
        return true;
    const QString holesPath = member(path, "holes");
    QJsonArray holes;
    if (!arrayValue(json.value("holes"), holesPath, CardDesignLimits::maxHoles, holes))
        return false;
    overlay.holes.resize(std::size_t(holes.size()));
    for (int i = 0; i < holes.size(); ++i) {
        const QString holePath = element(holesPath, i);
        QJsonObject hole;
        CardBox& b = overlay.holes[std::size_t(i)];
        if (!objectValue(holes.at(i), holePath, hole) ||
            !knownKeys(hole, holePath, {"x", "y", "w", "h"}) || !box(hole, holePath, false, b))
            return false;
    }
    return true;
}

bool Reader::box(const QJsonObject& object, const QString& path, bool line, CardBox& box) {
    const double far = CardDesignLimits::maxMm;
    for (const char* key : {"x", "y", "w", "h"})
        if (!required(object, path, key))
            return false;
    if (!number(object, "x", path, -far, far, box.x) ||
        !number(object, "y", path, -far, far, box.y) ||
        !number(object, "w", path, line ? -far : 0, far, box.w) ||
        !number(object, "h", path, line ? -far : 0, far, box.h))
        return false;
    return onCard(box, path);
}

bool Reader::onCard(const CardBox& box, const QString& path) {
    const double left = std::min(box.x, box.x + box.w);
    const double right = std::max(box.x, box.x + box.w);
    const double top = std::min(box.y, box.y + box.h);
    const double bottom = std::max(box.y, box.y + box.h);
    if (mmToDots(left) >= 0 && mmToDots(top) >= 0 && mmToDots(right) <= design_.width &&
        mmToDots(bottom) <= design_.height)
        return true;
    return fail(path, QStringLiteral("off the card: it spans %1 to %2 mm across and %3 to %4 mm "
                                     "down; the card is %5 x %6 mm")
                          .arg(mmText(left), mmText(right), mmText(top), mmText(bottom),
                               mmText(dotsToMm(design_.width)), mmText(dotsToMm(design_.height))));
}

// Texts, pictures and barcodes need a box of at least one dot each way to be drawn into.
bool Reader::drawable(const CardObject& object, const QString& path) {
    if (object.type == CardObjectType::Rect || object.type == CardObjectType::Line)
        return true;
    const CardBox& b = object.box;
    if (mmToDots(b.x + b.w) - mmToDots(b.x) >= 1 && mmToDots(b.y + b.h) - mmToDots(b.y) >= 1)
        return true;
    return fail(path, QStringLiteral("%1 x %2 mm is less than a dot: give it a size")
                          .arg(mmText(b.w), mmText(b.h)));
}

bool Reader::cardObject(const QJsonValue& value, const QString& path, CardObject& object) {
    QJsonObject json;
    CardObjectType type = CardObjectType::Rect;
    if (!objectValue(value, path, json) || !required(json, path, "type") ||
        !choice(json, "type", path, cardObjectTypeNames(), type))
        return false;
    object = cardObjectDefaults(type);
    // Keys every object takes, then those of its type.
    std::initializer_list<const char*> text = {"type",  "x",   "y",        "w",        "h",
                                               "ink",   "if",  "text",     "font",     "color",
                                               "align", "fit", "min_size", "max_lines"};
    std::initializer_list<const char*> image = {"type", "x",  "y",   "w",  "h",
                                                "ink",  "if", "src", "fit"};
    std::initializer_list<const char*> barcode = {"type", "x",      "y",          "w",
                                                  "h",    "ink",    "if",         "symbology",
                                                  "data", "module", "quiet_zone", "text"};
    std::initializer_list<const char*> shape = {"type", "x",  "y",    "w",      "h",
                                                "ink",  "if", "fill", "stroke", "width"};
    const auto& known = object.type == CardObjectType::Text      ? text
                        : object.type == CardObjectType::Image   ? image
                        : object.type == CardObjectType::Barcode ? barcode
                                                                 : shape;
    const bool line = object.type == CardObjectType::Line;
    if (!knownKeys(json, path, known) || !box(json, path, line, object.box) ||
        !drawable(object, path) || !choice(json, "ink", path, cardInkNames(), object.ink) ||
        !this->text(json, "if", path, object.condition, true))
        return false;
    switch (object.type) {
    case CardObjectType::Text:
        return textObject(json, path, object);
    case CardObjectType::Image:
        return required(json, path, "src") && this->text(json, "src", path, object.src, true) &&
               choice(json, "fit", path, cardImageFitNames(), object.imageFit);
    case CardObjectType::Barcode:
        return barcodeObject(json, path, object);
    case CardObjectType::Rect:
    case CardObjectType::Line:
        return color(json, "fill", path, object.fill, true) &&
               color(json, "stroke", path, object.stroke, true) &&
               number(json, "width", path, 0, CardDesignLimits::maxStrokeMm, object.strokeWidth);
    }
    return false;
}

bool Reader::textObject(const QJsonObject& json, const QString& path, CardObject& object) {
    if (!required(json, path, "text") || !text(json, "text", path, object.text, true) ||
        (json.contains("font") && !font(json.value("font"), member(path, "font"), object.font)) ||
        !color(json, "color", path, object.color, false) ||
        !choice(json, "align", path, cardAlignNames(), object.align) ||
        !choice(json, "fit", path, cardTextFitNames(), object.fit))
        return false;
    object.minSize = std::min(object.minSize, object.font.size);
    if (!number(json, "min_size", path, CardDesignLimits::minPoints, object.font.size,
                object.minSize))
        return false;
    return integer(json, "max_lines", path, 0, CardDesignLimits::maxLines, object.maxLines);
}

bool Reader::barcodeObject(const QJsonObject& json, const QString& path, CardObject& object) {
    return required(json, path, "symbology") &&
           choice(json, "symbology", path, cardSymbologyNames(), object.symbology) &&
           required(json, path, "data") && text(json, "data", path, object.data, true) &&
           integer(json, "module", path, 1, CardDesignLimits::maxModule, object.module) &&
           boolean(json, "quiet_zone", path, object.quietZone) &&
           boolean(json, "text", path, object.humanReadable);
}

bool Reader::font(const QJsonValue& value, const QString& path, CardFont& font) {
    QJsonObject json;
    if (!objectValue(value, path, json) ||
        !knownKeys(json, path, {"family", "size", "bold", "italic"}) ||
        !text(json, "family", path, font.family, false) ||
        !number(json, "size", path, CardDesignLimits::minPoints, CardDesignLimits::maxPoints,
                font.size) ||
        !boolean(json, "bold", path, font.bold) || !boolean(json, "italic", path, font.italic))
        return false;
    if (font.family.trimmed().isEmpty())
        return fail(member(path, "family"), QStringLiteral("must name a font"));
    return true;
}

bool Reader::mag(const QJsonValue& value, const QString& path, CardMag& mag) {
    QJsonObject json;
    if (!objectValue(value, path, json) || !knownKeys(json, path, {"coercivity", "tracks"}) ||
        !text(json, "coercivity", path, mag.coercivity, false))
        return false;
    const QStringList coercivities = klxEditChoices(QStringLiteral("coercivity"));
    if (!coercivities.contains(mag.coercivity))
        return fail(member(path, "coercivity"),
                    QStringLiteral("must be one of %1").arg(coercivities.join(", ")));
    if (!json.contains("tracks"))
        return true;
    const QString tracksPath = member(path, "tracks");
    QJsonObject tracks;
    if (!objectValue(json.value("tracks"), tracksPath, tracks) ||
        !knownKeys(tracks, tracksPath, {"1", "2", "3"}))
        return false;
    for (int t = 0; t < 3; ++t) {
        const QByteArray key = QByteArray::number(t + 1);
        if (!text(tracks, key.constData(), tracksPath, mag.tracks[std::size_t(t)], true))
            return false;
    }
    return true;
}

// Where in the text QJsonDocument stopped: line and column, which people can find.
QString jsonErrorPlace(const QByteArray& json, int offset) {
    offset = std::clamp(offset, 0, int(json.size()));
    const int line = int(std::count(json.begin(), json.begin() + offset, '\n')) + 1;
    const int lineStart = json.lastIndexOf('\n', offset - 1) + 1;
    return QStringLiteral("line %1, column %2").arg(line).arg(offset - lineStart + 1);
}

} // namespace

CardDesignResult parseCardDesign(const QByteArray& json, const QString& folder) {
    if (json.size() > CardDesignLimits::maxFileBytes)
        return {std::nullopt, QStringLiteral("a design is at most %1 bytes; this one has %2")
                                  .arg(CardDesignLimits::maxFileBytes)
                                  .arg(json.size())};
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return {std::nullopt,
                QStringLiteral("not valid JSON: %1: %2")
                    .arg(jsonErrorPlace(json, parseError.offset), parseError.errorString())};
    CardDesign design;
    Reader reader(design);
    const QJsonValue root =
        document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
    if (!reader.design(root))
        return {std::nullopt, reader.error()};
    design.folder = folder;
    return {std::move(design), QString()};
}

CardDesignResult loadCardDesign(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("cannot read it: %1").arg(file.errorString())};
    // One byte over the limit is enough to refuse a file that is too large (or never ends).
    const QByteArray json = file.read(CardDesignLimits::maxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return {std::nullopt, QStringLiteral("cannot read it: %1").arg(file.errorString())};
    return parseCardDesign(json, QFileInfo(path).absolutePath());
}
