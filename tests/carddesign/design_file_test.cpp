// Reading, checking and writing card designs.
#include <carddesign/CardDesignFile.h>
#include <carddesign/CardOptions.h>
#include <carddesign/CardUnits.h>

#include "TempDir.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

QByteArray design(const QByteArray& body) {
    return R"({"format": "kalyx-card-design/1")" + (body.isEmpty() ? "" : ", " + body) + "}";
}

QByteArray frontObject(const QByteArray& object) {
    return design(R"("front": {"objects": [)" + object + "]}");
}

struct Refused {
    const char* name;
    QByteArray json;
    const char* error; // the message starts with this
};

class RefusedDesign : public testing::TestWithParam<Refused> {};

TEST_P(RefusedDesign, GivesOneMessageWithTheJsonPath) {
    const CardDesignResult result = parseCardDesign(GetParam().json, "/tmp");
    EXPECT_FALSE(result.design);
    EXPECT_TRUE(result.error.startsWith(QLatin1String(GetParam().error)))
        << result.error.toStdString();
}

const QByteArray text = R"("type": "text", "x": 5, "y": 5, "w": 40, "h": 8, "text": "A")";

INSTANTIATE_TEST_SUITE_P(
    Faults, RefusedDesign,
    testing::Values(
        Refused{"NotJson", "{\"format\": \n  \"kalyx", "not valid JSON: line 2, column"},
        Refused{"NotAnObject", "[1, 2]", "the design must be a JSON object"},
        Refused{"NoFormat", "{}", "format: is required"},
        Refused{"OtherFormat", R"({"format": "kalyx-card-design/2"})",
                "format: this program reads \"kalyx-card-design/1\" designs, not "
                "\"kalyx-card-design/2\""},
        Refused{"UnknownTopKey", design(R"("colour": 1)"), "colour: unknown key"},
        Refused{"UnknownObjectKey", frontObject("{" + text + R"(, "colour": "red"})"),
                "front.objects[0].colour: unknown key"},
        Refused{"KeyOfAnotherType", frontObject("{" + text + R"(, "src": "a.png"})"),
                "front.objects[0].src: unknown key"},
        Refused{"FontSizeText",
                frontObject("{" + text + "}, {" + text + "}, {" + text +
                            R"(, "font": {"size": "12"}})"),
                "front.objects[2].font.size: must be a number from 1 to 400"},
        Refused{"WholeNumber", design(R"("card": {"width": 1013.5})"),
                "card.width: must be a whole number"},
        Refused{"Portrait", design(R"("card": {"width": 600, "height": 1000})"),
                "card: the card is landscape"},
        Refused{"OffTheRight", frontObject(R"({"type": "rect", "x": 80, "y": 5, "w": 10, "h": 8})"),
                "front.objects[0]: off the card: it spans 80.00 to 90.00 mm across"},
        Refused{"OffTheTop", frontObject(R"({"type": "line", "x": 10, "y": 5, "w": 10, "h": -6})"),
                "front.objects[0]: off the card"},
        Refused{"NegativeRect",
                frontObject(R"({"type": "rect", "x": 20, "y": 5, "w": -10, "h": 8})"),
                "front.objects[0].w: must be a number from 0"},
        Refused{"NoSize",
                frontObject(R"({"type": "image", "x": 5, "y": 5, "w": 0.02, "h": 8, )"
                            R"("src": "a.png"})"),
                "front.objects[0]: 0.02 x 8.00 mm is less than a dot"},
        Refused{"NoPosition", frontObject(R"({"type": "rect", "y": 5, "w": 10, "h": 8})"),
                "front.objects[0].x: is required"},
        Refused{"UnknownType", frontObject(R"({"type": "ellipse"})"),
                "front.objects[0].type: must be one of text, image, barcode, rect, line"},
        Refused{"ObjectsNotList", design(R"("back": {"objects": {}})"),
                "back.objects: must be a list"},
        Refused{"OpenTemplate",
                frontObject(R"({"type": "barcode", "x": 1, "y": 1, "w": 20, )"
                            R"("h": 9, "symbology": "qr", "data": "${ID"})"),
                "front.objects[0].data: '${' at character 1 is not closed"},
        Refused{"BrokenCharacter", frontObject("{" + text + R"(, "if": "\ud800"})"),
                "front.objects[0].if: holds a broken character"},
        Refused{"BadColour", frontObject("{" + text + R"(, "color": "#12"})"),
                "front.objects[0].color: '#12' is not a colour"},
        Refused{"HoleOffCard",
                design(R"("back": {"overlay": {"holes": [{"x": 0, "y": 50, "w": 85, )"
                       R"("h": 10}]}})"),
                "back.overlay.holes[0]: off the card"},
        Refused{"OptionValue", design(R"("options": {"card-options/num-copies": "0"})"),
                "options.card-options/num-copies: '0' is not a whole number"},
        Refused{"OptionName", design(R"("options": {"card-options/copies": "1"})"),
                "options.card-options/copies: 'copies' is not an option of card-options"},
        Refused{"OptionPath", design(R"("options": {"side-options/2/k/power-adjust": "1"})"),
                "options.side-options/2/k/power-adjust: not an option path"},
        Refused{"Coercivity", design(R"("mag": {"coercivity": "medium"})"),
                "mag.coercivity: must be one of"},
        Refused{"TrackFour", design(R"("mag": {"tracks": {"4": "x"}})"),
                "mag.tracks.4: unknown key"}),
    [](const testing::TestParamInfo<Refused>& info) { return info.param.name; });

TEST(RefusedDesign, TooManyObjectsAndTooLargeFiles) {
    QByteArray many;
    for (int i = 0; i < 1001; ++i)
        many += (i ? ",{" : "{") + text + "}";
    EXPECT_TRUE(parseCardDesign(frontObject(many), "/")
                    .error.startsWith("front.objects: has 1001 entries; at most 1000"));
    EXPECT_TRUE(
        parseCardDesign(QByteArray(5 << 20, ' '), "/").error.startsWith("a design is at most"));
    // Deep nesting is refused by the JSON reader itself, not by running out of stack.
    EXPECT_FALSE(parseCardDesign(QByteArray(100000, '['), "/").design);
}

const QByteArray badge = design(R"(
  "card": {"width": 1013, "height": 642},
  "options": {"card-options/num-copies": "1", "side-options/back/o/power-adjust": "${Power:=0}"},
  "front": {
    "background": {"color": "#e8f0ff", "image": "art/front.png", "fit": "cover"},
    "objects": [
      {"type": "image", "x": 4, "y": 6, "w": 25, "h": 32, "src": "${Photo}", "fit": "cover"},
      {"type": "text", "x": 32, "y": 8, "w": 50, "h": 9, "text": "${Name}", "if": "${Name}",
       "font": {"family": "DejaVu Serif", "size": 14.5, "bold": true}, "fit": "shrink",
       "min_size": 7, "align": "center", "color": "#80102030"},
      {"type": "barcode", "x": 32, "y": 40, "w": 50, "h": 10, "symbology": "code128",
       "data": "${ID}", "module": 2, "quiet_zone": false, "text": true, "ink": "color"},
      {"type": "line", "x": 85.76, "y": 0, "w": -85.76, "h": 54.36, "stroke": "red", "width": 0.5},
      {"type": "rect", "x": 0, "y": 50, "w": 85.76, "h": 4, "fill": "#000333666", "stroke": "none"}
    ]},
  "back": {"overlay": {"holes": [{"x": 0, "y": 3, "w": 85.76, "h": 12.7}]}},
  "mag": {"coercivity": "low", "tracks": {"1": "%B${ID}^${Name}?", "2": ";${ID}?"}})");

TEST(DesignFile, ReadsEveryPropertyAndRoundTrips) {
    const CardDesignResult read = parseCardDesign(badge, "/designs");
    ASSERT_TRUE(read.design) << read.error.toStdString();
    const CardDesign& d = *read.design;
    EXPECT_EQ(d.folder, "/designs");
    ASSERT_TRUE(d.front && d.back && d.mag);
    ASSERT_EQ(d.front->objects.size(), 5u);
    const CardObject& name = d.front->objects[1];
    EXPECT_EQ(name.font.family, "DejaVu Serif");
    EXPECT_EQ(name.font.size, 14.5);
    EXPECT_EQ(name.minSize, 7);
    EXPECT_EQ(name.color.alpha(), 0x80);
    EXPECT_EQ(name.condition, "${Name}");
    EXPECT_EQ(effectiveInk(name), CardInk::Color); // translucent text is colour
    EXPECT_EQ(d.front->objects[2].ink, CardInk::Color);
    EXPECT_FALSE(d.front->objects[4].stroke.isValid());
    EXPECT_EQ(d.back->overlay.holes.size(), 1u);
    EXPECT_EQ(d.mag->tracks[1], ";${ID}?");
    EXPECT_EQ(d.options.value("side-options/back/o/power-adjust"), "${Power:=0}");

    // Saved and read again: the same design, and the same bytes when saved once more.
    const QByteArray saved = cardDesignToJson(d);
    const CardDesignResult again = parseCardDesign(saved, "/designs");
    ASSERT_TRUE(again.design) << again.error.toStdString() << saved.toStdString();
    EXPECT_TRUE(*again.design == d);
    EXPECT_EQ(cardDesignToJson(*again.design), saved);
    EXPECT_TRUE(saved.startsWith("{\n  \"format\": \"kalyx-card-design/1\",\n  \"card\""));
}

TEST(DesignFile, DefaultsAndInks) {
    const CardDesignResult read = parseCardDesign(frontObject("{" + text + "}"), "/");
    ASSERT_TRUE(read.design);
    EXPECT_EQ(read.design->width, 1013);
    EXPECT_EQ(read.design->height, 642);
    EXPECT_FALSE(read.design->back);
    const CardObject& o = read.design->front->objects[0];
    EXPECT_EQ(effectiveInk(o), CardInk::K); // black text goes to K
    EXPECT_EQ(o.font.size, 10);
    EXPECT_TRUE(read.design->front->overlay.enabled);
}
} // namespace

namespace {

// Designs on disk: saved and loaded back with their folder; files that are no design are refused
// without reading them whole.
TEST(DesignFile, SavesAndLoads) {
    kalyxtest::TempDir dir;
    const QString path = QString::fromStdString(dir.file("badge.card.json"));
    const CardDesign design = *parseCardDesign(badge, "/elsewhere").design;
    QString error;
    ASSERT_TRUE(saveCardDesign(design, path, error)) << error.toStdString();
    const CardDesignResult loaded = loadCardDesign(path);
    ASSERT_TRUE(loaded.design) << loaded.error.toStdString();
    EXPECT_TRUE(*loaded.design == design);
    EXPECT_EQ(loaded.design->folder, QString::fromStdString(dir.path()));

    const std::pair<QString, const char*> refused[] = {
        {QString::fromStdString(dir.file("absent.card.json")), "cannot read it: "},
        {QString::fromStdString(dir.path()), "cannot read it: "},
        {QStringLiteral("/dev/zero"), "a design is at most 4194304 bytes"},
    };
    for (const auto& [file, message] : refused)
        EXPECT_TRUE(loadCardDesign(file).error.startsWith(QLatin1String(message)))
            << file.toStdString() << ": " << loadCardDesign(file).error.toStdString();
    EXPECT_FALSE(saveCardDesign(design, QString::fromStdString(dir.file("no/such/x")), error));
    EXPECT_FALSE(error.isEmpty());
}

// Option paths as the job writer needs them: the element, the side, panel or track.
TEST(DesignOptions, PathsAndValues) {
    const struct {
        const char* key;
        const char* group;
        int side;
        char panel;
        int track;
    } accepted[] = {
        {"card-options/pre-rotate", "card-options", -1, 0, 0},
        {"mag-options/verify-attempts", "mag-options", -1, 0, 0},
        {"track-options/3/bpi", "track-options", -1, 0, 3},
        {"side-options/back/o/watermark-index", "panel-options", 1, 'o', 0},
        {"side-options/front/y/power-adjust", "panel-options", 0, 'y', 0},
        {"side-options/1/k/power-adjust", "panel-options", 1, 'k', 0},
    };
    for (const auto& a : accepted) {
        CardOptionPath path;
        QString problem;
        ASSERT_TRUE(parseCardOptionPath(a.key, path, problem)) << a.key << problem.toStdString();
        EXPECT_EQ(path.group, a.group);
        EXPECT_EQ(path.name, QString(a.key).section('/', -1));
        EXPECT_EQ(path.side, a.side) << a.key;
        EXPECT_EQ(path.panel, a.panel) << a.key;
        EXPECT_EQ(path.track, a.track) << a.key;
    }
    const std::pair<const char*, const char*> refused[] = {
        {"side-options/front/k/darkness", "'darkness' is not an option of panel-options"},
        {"track-options/4/bpi", "not an option path"},
        {"card-options/height", "the card's size is set by card.width and card.height"},
        {"card-options", "not an option path"},
    };
    for (const auto& [key, problem] : refused) {
        CardOptionPath path;
        QString why;
        EXPECT_FALSE(parseCardOptionPath(key, path, why)) << key;
        EXPECT_TRUE(why.startsWith(QLatin1String(problem))) << why.toStdString();
    }
    EXPECT_EQ(checkCardOptionValue("mag-options/verify-attempts", "3"), "");
    EXPECT_FALSE(checkCardOptionValue("mag-options/verify-attempts", "4").isEmpty());
}

TEST(DesignUnits, MillimetresSnapToDots) {
    const std::pair<double, int> table[] = {{0, 0},    {25.4, 300}, {85.76, 1013}, {54.36, 642},
                                            {0.04, 0}, {0.05, 1},   {-0.05, -1},   {12.7, 150}};
    for (const auto& [mm, dots] : table)
        EXPECT_EQ(mmToDots(mm), dots) << mm;
    EXPECT_NEAR(dotsToMm(1013), 85.7673, 0.0001);
}

// The example in the format's documentation is a design the reader takes.
TEST(DesignFile, DocumentedExampleReads) {
    QFile doc(QStringLiteral(KALYX_DOCS "/card-design.md"));
    ASSERT_TRUE(doc.open(QIODevice::ReadOnly));
    const QByteArray text = doc.readAll();
    const int start = text.indexOf("```json\n") + 8;
    const QByteArray json = text.mid(start, text.indexOf("```", start) - start);
    const CardDesignResult read = parseCardDesign(json, "/");
    ASSERT_TRUE(read.design) << read.error.toStdString();
    EXPECT_EQ(read.design->front->objects.size(), 5u);
}

} // namespace
