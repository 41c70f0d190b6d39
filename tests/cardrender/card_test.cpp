// A design drawn for a row: conditions, pictures and SVG artwork, the job's options and overlay.
#include "SideBasePlan.h"

#include "carddesign/CardRenderer.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

CardObject box(CardObjectType type, CardBox where) {
    CardObject o;
    o.type = type;
    o.box = where;
    return o;
}

struct Row {
    CardColumns columns{{QStringLiteral("Name"), QStringLiteral("Photo")}};
    CardRecord record;
    Row(const QString& name, const QString& photo) {
        record.columns = &columns;
        record.values = QStringList{name, photo};
        record.row = 1;
    }
    CardTemplateContext context() const { return {&record, QStringLiteral("2026-12-09")}; }
};

QRgb at(const QImage& side, double xMm, double yMm) {
    return side.pixel(int(xMm * 300 / 25.4), int(yMm * 300 / 25.4));
}

TEST(Card, ConditionsPicturesArtworkAndInks) {
    QTemporaryDir dir;
    // A red photo, and SVG artwork: a green band over the left half of a white card.
    QImage photo(40, 40, QImage::Format_RGB32);
    photo.fill(Qt::red);
    ASSERT_TRUE(photo.save(dir.filePath(QStringLiteral("red.png"))));
    QFile svg(dir.filePath(QStringLiteral("art.svg")));
    ASSERT_TRUE(svg.open(QIODevice::WriteOnly));
    svg.write("<svg xmlns='http://www.w3.org/2000/svg' width='200' height='100'>"
              "<rect width='100' height='100' fill='#00ff00'/></svg>");
    svg.close();

    CardDesign design;
    design.folder = dir.path();
    CardSide front;
    front.background.image = QStringLiteral("art.svg");
    front.background.fit = CardImageFit::Contain;
    CardObject picture = box(CardObjectType::Image, {50, 5, 10, 10});
    picture.src = QStringLiteral("${Photo}");
    picture.imageFit = CardImageFit::Cover;
    front.objects.push_back(picture);
    CardObject dark = picture; // the same photo in K: red is darker than half
    dark.box = {65, 5, 10, 10};
    dark.ink = CardInk::K;
    front.objects.push_back(dark);
    CardObject shown = box(CardObjectType::Rect, {50, 30, 10, 10});
    shown.fill = QColor(Qt::blue);
    shown.condition = QStringLiteral("${Name}");
    front.objects.push_back(shown);
    front.overlay.holes.push_back({0, 0, 20, 10});
    design.front = front;
    design.options.insert(QStringLiteral("side-options/front/k/x-density"), QStringLiteral("600"));
    design.options.insert(QStringLiteral("card-options/num-copies"), QStringLiteral("${Name}"));

    CardRenderer renderer(design);
    const Row named(QStringLiteral("2"), QStringLiteral("red.png"));
    const CardRenderer::Card card =
        renderer.render(named.context(), dir.path(), CardRenderer::Pictures | CardRenderer::Job);
    ASSERT_TRUE(card.problems.empty()) << card.problems.front().problem.toStdString();
    const QImage& side = card.sides[0];
    EXPECT_EQ(at(side, 20, 40), qRgb(0, 255, 0)) << "SVG artwork, contained: left half";
    EXPECT_EQ(at(side, 20, 5), qRgb(255, 255, 255)) << "contained: margin above";
    EXPECT_EQ(at(side, 55, 10), qRgb(255, 0, 0));
    EXPECT_EQ(at(side, 70, 10), qRgb(0, 0, 0)) << "the photo in K";
    EXPECT_EQ(at(side, 55, 35), qRgb(0, 0, 255)) << "drawn: the row has a name";
    const QByteArray header = card.job.left(card.job.indexOf('\0'));
    EXPECT_TRUE(header.contains("<num-copies>2</num-copies>"));
    EXPECT_TRUE(header.contains("<panel-options panel=\"k\"><x-density>600</x-density>"));
    EXPECT_TRUE(
        header.contains("<panel-options panel=\"o\"><hole><x>0</x><y>0</y><width>236</width>"
                        "<height>118</height></hole>"));
    // K at 600 dots across carries twice the columns.
    EXPECT_TRUE(header.contains("<binary-size>3251730</binary-size>")) << header.toStdString();

    const Row unnamed(QString(), QStringLiteral("gone.png"));
    const CardRenderer::Card other =
        renderer.render(unnamed.context(), dir.path(), CardRenderer::Pictures | CardRenderer::Job);
    EXPECT_EQ(at(other.sides[0], 55, 35), qRgb(255, 255, 255)) << "not drawn without a name";
    EXPECT_TRUE(other.job.isEmpty());
    QStringList fields;
    for (const CardRowProblem& p : other.problems)
        fields << p.field;
    EXPECT_EQ(fields, (QStringList{QStringLiteral("front.objects[0].src"),
                                   QStringLiteral("front.objects[1].src")}));
    // An option value that comes from the row is checked when the job is made.
    const Row noCopies(QString(), QStringLiteral("red.png"));
    const CardRenderer::Card refused =
        renderer.render(noCopies.context(), dir.path(), CardRenderer::Job);
    ASSERT_EQ(refused.problems.size(), 1u);
    EXPECT_EQ(refused.problems[0].field, QStringLiteral("options.card-options/num-copies"));
    EXPECT_TRUE(refused.job.isEmpty());
    // Checking finds the same without drawing.
    EXPECT_EQ(
        renderer.render(unnamed.context(), dir.path(), CardRenderer::CheckOnly).problems.size(),
        2u);
}

// Objects the same on every card are drawn once, ahead of those drawn per card, only where that
// cannot change a dot: never over or under an object drawn per card before them.
TEST(Card, OnlyObjectsThatCannotChangeADotAreDrawnOnce) {
    const auto text = [](const char* content, CardBox where) {
        CardObject o = box(CardObjectType::Text, where);
        o.text = QString::fromUtf8(content);
        return o;
    };
    CardObject conditional = box(CardObjectType::Rect, {60, 5, 5, 5});
    conditional.condition = QStringLiteral("${Name}");
    CardObject stripe = box(CardObjectType::Line, {0, 20.2, 80, 0});
    stripe.strokeWidth = 1; // its pen reaches 0.5 mm above its end points
    CardObject photo = box(CardObjectType::Image, {30, 30, 10, 10});
    photo.src = QStringLiteral("${Photo}");
    const struct {
        const char* what;
        std::vector<CardObject> objects;
        std::vector<bool> once;
    } cases[] = {
        {"nothing from the rows",
         {box(CardObjectType::Rect, {0, 0, 10, 10}), text("A", {20, 0, 10, 10})},
         {true, true}},
        {"beside a row's text",
         {text("${Name}", {0, 10, 40, 10}), box(CardObjectType::Rect, {50, 10, 10, 10})},
         {false, true}},
        {"over a row's text",
         {text("${Name}", {0, 10, 40, 10}), box(CardObjectType::Rect, {30, 15, 20, 10})},
         {false, false}},
        {"a row's text over it",
         {box(CardObjectType::Rect, {30, 15, 20, 10}), text("${Name}", {0, 10, 40, 10})},
         {true, false}},
        {"over an object kept in its place",
         {photo, box(CardObjectType::Rect, {35, 35, 10, 10}), text("B", {42, 42, 5, 5})},
         {false, false, false}},
        {"a condition from the row", {conditional}, {false}},
        {"a pen reaching into a row's text",
         {text("${Name}", {0, 10, 40, 10}), stripe},
         {false, false}},
    };
    for (const auto& c : cases) {
        CardSide side;
        side.objects = c.objects;
        EXPECT_EQ(carddesign::objectsDrawnOnce(side), c.once) << c.what;
    }
}

// However the rows before it looked, each card is drawn as a renderer that drew nothing before
// would draw it; artwork over a row's text stays over it.
TEST(Card, EachCardIsDrawnAsIfItWereTheFirst) {
    QTemporaryDir dir;
    for (const auto& [name, colour] : {std::pair{"red.png", Qt::red}, {"blue.png", Qt::blue}}) {
        QImage photo(30, 40, QImage::Format_RGB32);
        photo.fill(colour);
        ASSERT_TRUE(photo.save(dir.filePath(QString::fromLatin1(name))));
    }
    CardDesign design;
    design.folder = dir.path();
    CardSide front;
    front.background.color = QColor(230, 240, 250);
    CardObject name = box(CardObjectType::Text, {5, 5, 60, 10});
    name.text = QStringLiteral("${Name}");
    name.fit = CardTextFit::ShrinkWrap;
    name.maxLines = 2;
    name.color = QColor(0, 0, 120); // colour ink: K would print over anything
    front.objects.push_back(name);
    CardObject band = box(CardObjectType::Rect, {0, 8, 85, 2}); // over the name
    band.fill = QColor(200, 30, 30);
    front.objects.push_back(band);
    CardObject picture = box(CardObjectType::Image, {5, 20, 20, 25});
    picture.src = QStringLiteral("${Photo}");
    picture.ink = CardInk::K;
    front.objects.push_back(picture);
    CardObject code = box(CardObjectType::Barcode, {30, 25, 50, 15});
    code.data = QStringLiteral("${Photo}");
    code.humanReadable = true;
    front.objects.push_back(code);
    CardObject title = box(CardObjectType::Text, {30, 45, 50, 6});
    title.text = QStringLiteral("VISITOR");
    front.objects.push_back(title);
    design.front = front;
    design.back = front;

    const Row rows[] = {
        {QStringLiteral("Wolfeschlegelsteinhausen Bergerdorff"), QStringLiteral("red.png")},
        {QStringLiteral("Al"), QStringLiteral("blue.png")},
        {QStringLiteral("Maria Łukasiewicz"), QStringLiteral("red.png")}};
    const int outputs = CardRenderer::Pictures | CardRenderer::Job;
    qputenv("SOURCE_DATE_EPOCH", "1765000000"); // the job's time, the same in both
    CardRenderer batch(design);
    for (const Row& row : rows) {
        const CardRenderer::Card card = batch.render(row.context(), dir.path(), outputs);
        const CardRenderer::Card first =
            CardRenderer(design).render(row.context(), dir.path(), outputs);
        ASSERT_TRUE(card.problems.empty()) << card.problems.front().problem.toStdString();
        EXPECT_TRUE(card.sides == first.sides) << row.record.values[0].toStdString();
        EXPECT_TRUE(card.job == first.job) << row.record.values[0].toStdString();
        for (double x = 1; x < 84; x += 0.5)
            ASSERT_EQ(at(card.sides[0], x, 9), qRgb(200, 30, 30)) << "the band stays over the name";
    }
    qunsetenv("SOURCE_DATE_EPOCH");
}

// What drawing the artwork once found is told for every row, in the design's order among the
// row's own problems, as if everything were drawn for each card.
TEST(Card, ProblemsOfWhatIsDrawnOnceAreToldForEveryRowInTheirPlace) {
    QTemporaryDir dir;
    CardDesign design;
    design.folder = dir.path();
    CardSide front;
    CardObject photo = box(CardObjectType::Image, {5, 5, 20, 25});
    photo.src = QStringLiteral("${Photo}");
    front.objects.push_back(photo);
    CardObject logo = box(CardObjectType::Image, {40, 5, 20, 10}); // drawn once: none there
    logo.src = QStringLiteral("logo.png");
    front.objects.push_back(logo);
    CardObject motto = box(CardObjectType::Text, {40, 20, 5, 3}); // drawn once: too long
    motto.text = QStringLiteral("Printed with care since 1874");
    motto.fit = CardTextFit::Shrink;
    motto.minSize = 8;
    front.objects.push_back(motto);
    design.front = front;
    CardRenderer renderer(design);
    for (const int outputs : {int(CardRenderer::Pictures), int(CardRenderer::CheckOnly),
                              int(CardRenderer::Pictures | CardRenderer::Job)}) {
        const Row missing(QStringLiteral("Ann"), QStringLiteral("gone.png"));
        QStringList fields;
        for (const CardRowProblem& p :
             renderer.render(missing.context(), dir.path(), outputs).problems)
            fields << p.field;
        EXPECT_EQ(fields, (QStringList{QStringLiteral("front.objects[0].src"),
                                       QStringLiteral("front.objects[1].src"),
                                       QStringLiteral("front.objects[2].text")}))
            << outputs;
    }
}

} // namespace
