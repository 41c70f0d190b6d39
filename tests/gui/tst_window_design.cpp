// A card design in the window: opened with its data from the command line, an object moved by
// keys and undone, saved and printed by kalyxprn batch as the same jobs as a design saved with
// that move; rows with problems marked; unsaved changes asked about on close.
#include "KalyxprnRun.h"
#include "KlxPrnTool.h"
#include "WindowTestSupport.h"
#include "design/BatchPage.h"
#include "design/DesignCanvas.h"
#include "design/DesignDocument.h"
#include "design/DesignKPlane.h"
#include "design/DesignPage.h"
#include "design/DesignPropertyPanel.h"
#include "design/DesignView.h"

#include <carddesign/CardDesignFile.h>
#include <carddesign/CardRenderer.h>
#include <carddesign/CardUnits.h>
#include <carddesign/CsvReader.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUndoStack>
#include <QtTest>

namespace {

// The example badge copied where the test may write.
QString copyExample(const QString& to) {
    const QString from = QStringLiteral(KALYX_SOURCE_DIR "/examples/badge");
    QDir().mkpath(to + QStringLiteral("/photos"));
    for (const QString& name : QDir(from).entryList(QDir::Files))
        QFile::copy(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name);
    for (const QString& name : QDir(from + QStringLiteral("/photos")).entryList(QDir::Files))
        QFile::copy(from + QStringLiteral("/photos/") + name,
                    to + QStringLiteral("/photos/") + name);
    return to + QStringLiteral("/badge.card.json");
}

// Every file kalyxprn batch -o writes for `design`, by name.
QMap<QString, QByteArray> batchJobs(const QString& design, const QString& data,
                                    const QString& out) {
    const kalyxtest::Result run =
        kalyxtest::kalyxprn({QStringLiteral("batch"), design, data, QStringLiteral("-o"), out});
    if (run.status != 0)
        qWarning() << "kalyxprn batch:" << run.err;
    QMap<QString, QByteArray> jobs;
    for (const QString& name : QDir(out).entryList(QDir::Files))
        jobs.insert(name, kalyxtest::readFile(out + QLatin1Char('/') + name));
    return jobs;
}

// The control of `page` called `name` (its accessible name), or null.
QWidget* control(QWidget* page, const QString& name) {
    for (QWidget* w : page->findChildren<QWidget*>())
        if (w->accessibleName() == name)
            return w;
    return nullptr;
}

// Sets a control to `value` and finishes the entry as a user does (Return, a pick, a click).
void enter(QWidget* w, const QVariant& value) {
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        line->setText(value.toString());
        emit line->editingFinished();
    } else if (auto* box = qobject_cast<QComboBox*>(w)) {
        const int index =
            value.type() == QVariant::String ? box->findText(value.toString()) : value.toInt();
        box->setCurrentIndex(index);
        emit box->activated(index);
    } else if (auto* spin = qobject_cast<QDoubleSpinBox*>(w)) {
        spin->setValue(value.toDouble());
    } else if (auto* whole = qobject_cast<QSpinBox*>(w)) {
        whole->setValue(value.toInt());
    } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
        if (check->isChecked() != value.toBool())
            check->click();
    }
}

// The first data row of a data file, as the batch page reads it.
struct FirstRow {
    CsvReader reader;
    CsvRow row;
    explicit FirstRow(const QString& path) {
        if (!reader.open(path) || reader.next(row) != CsvReader::Row)
            qWarning() << "cannot read" << path << reader.error();
    }
    CardTemplateContext context() const { return {&row.record, cardTemplateDate()}; }
};

int blackPixels(const QImage& image) {
    int black = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            black += image.pixel(x, y) == qRgb(0, 0, 0);
    return black;
}

} // namespace

class tst_WindowDesign : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("SOURCE_DATE_EPOCH", "1700000000"); }

    void movedByKeysUndoneSavedAndPrintedAlike() {
        QTemporaryDir dir;
        const QString design = copyExample(dir.path() + QStringLiteral("/badge"));
        const QString data = dir.path() + QStringLiteral("/badge/people.csv");
        klxSetCommandLine({design, data});
        KlxPrnTool window;
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        DesignView* view = child<DesignView>(window, "designView");
        QVERIFY(view->isVisible());
        QVERIFY(!child<QTabWidget>(window, "prnTabWidget")->isVisible());
        QCOMPARE(view->batchPage()->rowCount(), 12);

        // The name field: the text object whose template is ${Name}.
        const CardDesign original = view->document()->design();
        int name = -1;
        for (std::size_t i = 0; i < original.front->objects.size(); ++i)
            if (original.front->objects[i].text == QLatin1String("${Name}"))
                name = int(i);
        QVERIFY(name >= 0);
        view->designPage()->select(0, name);
        DesignCanvas* front = view->designPage()->canvas(0);
        QCOMPARE(front->selected(), name);
        front->setFocus();
        QTest::keyClick(front, Qt::Key_Right);
        QTest::keyClick(front, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(front, Qt::Key_Left);
        const CardBox before = original.front->objects[std::size_t(name)].box;
        auto box = [&] { return view->document()->design().front->objects[std::size_t(name)].box; };
        QCOMPARE(mmToDots(box().x), mmToDots(before.x));
        QCOMPARE(mmToDots(box().y), mmToDots(before.y) + mmToDots(1));
        QVERIFY(window.windowTitle().contains(QLatin1String("badge.card.json *")));

        // Each key press is a step: two undone leave the first move only.
        QCOMPARE(view->document()->undoStack()->count(), 3);
        QTest::keyClick(front, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(front, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(mmToDots(box().x), mmToDots(before.x) + 1);
        QCOMPARE(mmToDots(box().y), mmToDots(before.y));
        QTest::keyClick(front, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(mmToDots(box().y), mmToDots(before.y) + mmToDots(1));

        QTest::keyClick(front, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!view->document()->isModified());
        const CardDesignResult reread = loadCardDesign(design);
        QVERIFY2(reread.design, qPrintable(reread.error));
        QVERIFY(*reread.design == view->document()->design());

        // The same move made in the file by other means prints the same cards.
        CardDesign expected = original;
        CardBox& moved = expected.front->objects[std::size_t(name)].box;
        moved.x = dotsToMm(mmToDots(moved.x) + 1);
        moved.y = dotsToMm(mmToDots(moved.y) + mmToDots(1));
        const QString other = dir.path() + QStringLiteral("/badge/other.card.json");
        QString error;
        QVERIFY2(saveCardDesign(expected, other, error), qPrintable(error));
        const auto windowJobs = batchJobs(design, data, dir.path() + QStringLiteral("/a"));
        const auto otherJobs = batchJobs(other, data, dir.path() + QStringLiteral("/b"));
        QVERIFY(!windowJobs.isEmpty());
        QVERIFY(windowJobs == otherJobs);
        const auto unmovedJobs =
            batchJobs(QStringLiteral(KALYX_SOURCE_DIR "/examples/badge/badge.card.json"), data,
                      dir.path() + QStringLiteral("/c"));
        QVERIFY(windowJobs != unmovedJobs);

        // Export jobs... writes what the command line writes.
        QSignalSpy written(view->batchPage(), &BatchPage::outputWritten);
        const QString exported = dir.path() + QStringLiteral("/d");
        QDir().mkpath(exported);
        view->batchPage()->exportJobsTo(exported);
        QVERIFY(written.wait(30000));
        QVERIFY2(written.at(0).at(0).toBool(), qPrintable(written.at(0).at(1).toString()));
        QMap<QString, QByteArray> exportedJobs;
        for (const QString& file : QDir(exported).entryList(QDir::Files))
            exportedJobs.insert(file, kalyxtest::readFile(exported + QLatin1Char('/') + file));
        QVERIFY(exportedJobs == windowJobs);

        // Proof... writes the proof sheet, a PDF, where the file dialog says.
        written.clear();
        MessageBoxLog failures;
        const QString proof = dir.path() + QStringLiteral("/proof sheet.pdf");
        auto where = ModalAnswer::expect<QFileDialog>([&](QFileDialog* fd) {
            fd->selectFile(proof);
            static_cast<QDialog*>(fd)->done(QDialog::Accepted);
        });
        child<QPushButton>(window, "batchProofButton")->click();
        QVERIFY(where->fired());
        QVERIFY(written.wait(30000));
        QVERIFY2(written.at(0).at(0).toBool(), qPrintable(written.at(0).at(1).toString()));
        QVERIFY(kalyxtest::readFile(proof).startsWith("%PDF-"));
    }

    // Every kind of edit is one step that undo takes back to the design as it was.
    void everyEditUndone_data() {
        QTest::addColumn<QString>("edit");
        for (const char* edit : {"add", "delete", "forward", "font size", "x typed", "drag"})
            QTest::newRow(edit) << QString::fromLatin1(edit);
    }

    void everyEditUndone() {
        QFETCH(QString, edit);
        QTemporaryDir dir;
        klxSetCommandLine({copyExample(dir.path())});
        KlxPrnTool window;
        window.resize(1100, 800);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        DesignView* view = child<DesignView>(window, "designView");
        DesignPage* page = view->designPage();
        const CardDesign original = view->document()->design();
        const int name = 9; // the ${Name} text of the example's front
        QCOMPARE(original.front->objects[name].text, QStringLiteral("${Name}"));
        page->select(0, name);
        auto spin = [&](const QString& accessible) {
            for (QDoubleSpinBox* box : page->findChildren<QDoubleSpinBox*>())
                if (box->accessibleName() == accessible)
                    return box;
            return static_cast<QDoubleSpinBox*>(nullptr);
        };
        auto clickButton = [&](const QString& accessible) {
            for (QAbstractButton* b : page->findChildren<QAbstractButton*>())
                if (b->accessibleName() == accessible)
                    b->click();
        };
        auto now = [&] { return view->document()->design().front->objects[name]; };
        if (edit == QLatin1String("add")) {
            page->findChild<QToolButton*>()->menu()->actions().at(0)->trigger();
            QCOMPARE(view->document()->design().front->objects.size(),
                     original.front->objects.size() + 1);
        } else if (edit == QLatin1String("delete")) {
            clickButton(QStringLiteral("Delete the object"));
        } else if (edit == QLatin1String("forward")) {
            clickButton(QStringLiteral("Draw the object later"));
            QCOMPARE(view->document()->design().front->objects[name + 1].text,
                     QStringLiteral("${Name}"));
        } else if (edit == QLatin1String("font size")) {
            spin(QStringLiteral("Font size"))->setValue(20);
            QCOMPARE(now().font.size, 20.0);
        } else if (edit == QLatin1String("x typed")) {
            spin(QStringLiteral("X"))->setValue(10.03); // between dots: lands on one
            QCOMPARE(now().box.x, dotsToMm(mmToDots(10.03)));
        } else {
            DesignCanvas* front = page->canvas(0);
            const QRect r = front->rect();
            // A point on the object: the first that selects it.
            QPoint at;
            for (int y = 0; y < r.height() && at.isNull(); y += 4)
                for (int x = 0; x < r.width() && at.isNull(); x += 4) {
                    QTest::mouseClick(front, Qt::LeftButton, {}, QPoint(x, y));
                    if (front->selected() == name)
                        at = QPoint(x, y);
                }
            QVERIFY(!at.isNull());
            const int before = view->document()->undoStack()->count();
            QTest::mousePress(front, Qt::LeftButton, {}, at);
            QMouseEvent move(QEvent::MouseMove, at + QPoint(30, 10), Qt::LeftButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(front, &move);
            QTest::mouseRelease(front, Qt::LeftButton, {}, at + QPoint(30, 10));
            QCOMPARE(view->document()->undoStack()->count(), before + 1);
            QVERIFY(now().box.x > original.front->objects[name].box.x);
            QCOMPARE(dotsToMm(mmToDots(now().box.x)), now().box.x); // on a whole dot
        }
        QVERIFY(!(view->document()->design() == original));
        view->document()->undoStack()->undo();
        QVERIFY(view->document()->design() == original);
    }

    // Each property of the panel lands in the saved design under its own key, as one step that
    // undo takes back.
    void propertyEditsSavedAndUndone_data() {
        QTest::addColumn<int>("object");   // of the example's front
        QTest::addColumn<QString>("name"); // of the control
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("key"); // in the saved object; "a/b" for a nested key
        QTest::addColumn<QByteArray>("saved");
        const int rect = 0, line = 2, picture = 8, title = 10, barcode = 11;
        auto row = [](const char* name, int object, const char* control, const QVariant& value,
                      const char* key, const QByteArray& saved) {
            QTest::newRow(name) << object << QString::fromLatin1(control) << value
                                << QString::fromLatin1(key) << saved;
        };
        row("font family", title, "Font family", QStringLiteral("DejaVu Serif"), "font/family",
            "\"DejaVu Serif\"");
        row("bold", title, "Bold", true, "font/bold", "true");
        row("italic", title, "Italic", true, "font/italic", "true");
        row("font size", title, "Font size", 12.5, "font/size", "12.5");
        row("text colour", title, "Colour", QStringLiteral("#123456"), "color", "\"#123456\"");
        row("text colour by name", title, "Colour", QStringLiteral("red"), "color", "\"#ff0000\"");
        row("align right", title, "Alignment", 2, "align", "\"right\"");
        row("fit wrap", title, "Text fit", 2, "fit", "\"wrap\"");
        row("smallest size", title, "Smallest font size", 5, "min_size", "5");
        // Shrinking cannot start below its floor: the two stay in order, so the design opens.
        row("size under the smallest", title, "Font size", 4, "min_size", "4");
        row("smallest over the size", title, "Smallest font size", 20, "min_size", "9");
        row("most lines", title, "Most lines", 3, "max_lines", "3");
        row("template", title, "Template", QStringLiteral("${Title:=Staff}"), "text",
            "\"${Title:=Staff}\"");
        row("picture file", picture, "Picture file", QStringLiteral("photos/1001.png"), "src",
            "\"photos/1001.png\"");
        row("picture fit", picture, "Picture fit", 1, "fit", "\"contain\"");
        row("symbology", barcode, "Symbology", 5, "symbology", "\"pdf417\"");
        row("barcode data", barcode, "Barcode data", QStringLiteral("S-${ID}"), "data",
            "\"S-${ID}\"");
        row("module", barcode, "Module size", 2, "module", "2");
        row("quiet zone", barcode, "Quiet zone", false, "quiet_zone", "false");
        row("human-readable", barcode, "Human-readable text", false, "text", "false");
        row("fill none", rect, "Fill colour", QString(), "fill", "\"none\"");
        row("rect stroke", rect, "Stroke colour", QStringLiteral("#ff0000"), "stroke",
            "\"#ff0000\"");
        row("stroke width", rect, "Stroke width", 0.5, "width", "0.5");
        row("line stroke", line, "Stroke colour", QStringLiteral("#00ff00"), "stroke",
            "\"#00ff00\"");
        row("ink", rect, "Ink", 1, "ink", "\"k\"");
        row("condition", rect, "Printed only if", QStringLiteral("${Title}"), "if", "\"${Title}\"");
    }

    void propertyEditsSavedAndUndone() {
        QFETCH(int, object);
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        QFETCH(QString, key);
        QFETCH(QByteArray, saved);
        QTemporaryDir dir;
        const QString design = copyExample(dir.path());
        // A font in the design's folder is offered beside the built-in ones.
        const QString serif = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf");
        if (value == QStringLiteral("DejaVu Serif") && !QFile::copy(serif, dir.path() + "/s.ttf"))
            QSKIP("no DejaVu Serif here to put beside the design");
        klxSetCommandLine({design});
        KlxPrnTool window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        DesignView* view = child<DesignView>(window, "designView");
        DesignPage* page = view->designPage();
        page->select(0, object);
        QWidget* w = control(page, name);
        QVERIFY(w);
        QVERIFY2(w->isVisible(), "a control of the selected object's kind");
        const CardDesign before = view->document()->design();
        const int steps = view->document()->undoStack()->count();
        enter(w, value);
        QCOMPARE(view->document()->undoStack()->count(), steps + 1);
        QVERIFY(page->save());

        QJsonValue found = QJsonDocument::fromJson(kalyxtest::readFile(design))
                               .object()[QStringLiteral("front")]
                               .toObject()[QStringLiteral("objects")]
                               .toArray()
                               .at(object);
        for (const QString& part : key.split(QLatin1Char('/')))
            found = found.toObject()[part];
        const QJsonValue expected = QJsonDocument::fromJson("[" + saved + "]").array().at(0);
        QCOMPARE(found, expected);

        view->document()->undoStack()->undo();
        QVERIFY(view->document()->design() == before);
    }

    // Only the fields of the selected kind are offered, and every control has a name for
    // assistive technology.
    void fieldsOfTheSelectedKindOnly_data() {
        QTest::addColumn<int>("object");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("rect") << 0 << QStringList{"Fill colour", "Stroke colour", "Ink", "X"};
        QTest::newRow("line") << 2 << QStringList{"Stroke colour", "Ink", "X"};
        QTest::newRow("picture") << 8 << QStringList{"Picture file", "Ink", "X"};
        QTest::newRow("text") << 9 << QStringList{"Template", "Font family", "Ink", "X"};
        QTest::newRow("barcode") << 11 << QStringList{"Symbology", "Ink", "X"};
        QTest::newRow("nothing") << -1 << QStringList{};
    }

    void fieldsOfTheSelectedKindOnly() {
        QFETCH(int, object);
        QFETCH(QStringList, shown);
        QTemporaryDir dir;
        klxSetCommandLine({copyExample(dir.path())});
        KlxPrnTool window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        DesignPage* page = child<DesignView>(window, "designView")->designPage();
        page->select(0, object);
        for (const char* name : {"Fill colour", "Stroke colour", "Ink", "X", "Picture file",
                                 "Template", "Font family", "Symbology"}) {
            QWidget* w = control(page, QString::fromLatin1(name));
            QVERIFY2(w, name);
            QVERIFY2(w->isVisible() == shown.contains(QLatin1String(name)), name);
        }
        auto* panel = page->findChild<DesignPropertyPanel*>();
        QVERIFY(panel);
        for (QWidget* w : panel->findChildren<QWidget*>())
            if (qobject_cast<QAbstractSpinBox*>(w->parentWidget()) ||
                qobject_cast<QComboBox*>(w->parentWidget()))
                continue; // the editor's own parts
            else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                     qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QAbstractButton*>(w))
                QVERIFY2(!w->accessibleName().isEmpty(), w->metaObject()->className());
    }

    // A barcode drawn anew for each symbology, and data its symbology cannot carry listed as a
    // problem: of the design when the data is fixed, of the row shown when it comes from one.
    void symbologyRedrawnAndCheckedData_data() {
        QTest::addColumn<int>("symbology");
        QTest::addColumn<QString>("data");
        QTest::addColumn<bool>("withRow");
        QTest::addColumn<QString>("problem"); // the start of the expected entry; empty: none
        QTest::newRow("qr") << 3 << "${ID}" << true << "";
        QTest::newRow("datamatrix") << 4 << "${ID}" << true << "";
        QTest::newRow("ean13 from a 4-digit ID")
            << 2 << "${ID}" << true << "row 1: front.objects[11].data: ";
        QTest::newRow("ean13 of 12 digits") << 2 << "400638133393" << false << "";
        QTest::newRow("ean13 of letters") << 2 << "12AB" << false << "front.objects[11].data: ";
    }

    void symbologyRedrawnAndCheckedData() {
        QFETCH(int, symbology);
        QFETCH(QString, data);
        QFETCH(bool, withRow);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        const QString design = copyExample(dir.path());
        QStringList args{design};
        if (withRow)
            args << dir.path() + QStringLiteral("/people.csv");
        klxSetCommandLine(args);
        KlxPrnTool window;
        DesignPage* page = child<DesignView>(window, "designView")->designPage();
        page->select(0, 11);
        enter(control(page, QStringLiteral("Barcode data")), data);
        DesignCanvas* front = page->canvas(0);
        const QImage drawn = front->grab().toImage();
        page->setKPlaneOnly(true);
        const QImage before = front->kPlane();
        QVERIFY(!before.isNull());
        QVERIFY(page->problems().filter(QStringLiteral("objects[11]")).isEmpty());
        enter(control(page, QStringLiteral("Symbology")), symbology);
        const QStringList found = page->problems().filter(QStringLiteral("objects[11]"));
        if (problem.isEmpty()) {
            QVERIFY2(found.isEmpty(), qPrintable(found.join('\n')));
            QVERIFY2(front->kPlane() != before, "the barcode is drawn anew");
        } else {
            QCOMPARE(found.size(), 1);
            QVERIFY2(found.at(0).startsWith(problem), qPrintable(found.at(0)));
        }
        // The editor draws the symbol as the renderer makes it, or what keeps it from being made.
        page->setKPlaneOnly(false);
        QVERIFY(front->grab().toImage() != drawn);
        // The list beside the design says the same.
        QListWidget* list =
            qobject_cast<QListWidget*>(control(page, QStringLiteral("Problems of the design")));
        QVERIFY(list);
        QCOMPARE(!list->findItems(QStringLiteral("objects[11]"), Qt::MatchContains).isEmpty(),
                 !problem.isEmpty());
    }

    // The K plane on its own, on both pages: exactly the renderer's K dots, shrunk for the
    // screen in black and white only, black only where the plane is black.
    void kPlanePreviewShowsTheRenderersDots_data() {
        QTest::addColumn<bool>("batchPage");
        QTest::newRow("design page") << false;
        QTest::newRow("batch page") << true;
    }

    void kPlanePreviewShowsTheRenderersDots() {
        QFETCH(bool, batchPage);
        QTemporaryDir dir;
        const QString design = copyExample(dir.path());
        const QString data = dir.path() + QStringLiteral("/people.csv");
        klxSetCommandLine({design, data});
        KlxPrnTool window;
        window.resize(1200, 900);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        DesignView* view = child<DesignView>(window, "designView");
        const FirstRow first(data);
        CardRenderer renderer(view->document()->design());
        const auto reference =
            renderer.render(first.context(), first.reader.folder(), CardRenderer::KPlane).kPlanes;
        for (int side = 0; side < 2; ++side) {
            QVERIFY(!reference[side].isNull());
            QVERIFY(blackPixels(reference[side].convertToFormat(QImage::Format_RGB32)) > 0);
        }

        QImage shown[2];
        if (batchPage) {
            view->setCurrentWidget(view->batchPage());
            view->batchPage()->setKPlaneOnly(true);
            for (int side = 0; side < 2; ++side)
                shown[side] =
                    view->batchPage()->previewLabel(side)->pixmap(Qt::ReturnByValue).toImage();
        } else {
            view->designPage()->setKPlaneOnly(true);
            for (int side = 0; side < 2; ++side) {
                DesignCanvas* canvas = view->designPage()->canvas(side);
                QVERIFY(canvas->kPlane() == reference[side]);
                const QImage screen =
                    canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
                shown[side] = canvas->shownKPlane();
                QCOMPARE(blackPixels(screen),
                         blackPixels(shown[side].convertToFormat(QImage::Format_RGB32)));
            }
        }
        for (int side = 0; side < 2; ++side) {
            const QImage plane = reference[side];
            const QImage image = shown[side].convertToFormat(QImage::Format_RGB32);
            QVERIFY(!image.isNull());
            QCOMPARE(image,
                     kPlanePreview(plane, image.size()).convertToFormat(QImage::Format_RGB32));
            const double sx = double(plane.width()) / image.width();
            const double sy = double(plane.height()) / image.height();
            int black = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb p = image.pixel(x, y);
                    QVERIFY(p == qRgb(0, 0, 0) || p == qRgb(255, 255, 255));
                    if (p != qRgb(0, 0, 0))
                        continue;
                    ++black;
                    // Some dot under this pixel prints K.
                    bool any = false;
                    for (int dy = int(y * sy); dy < int(std::ceil((y + 1) * sy)) && !any; ++dy)
                        for (int dx = int(x * sx); dx < int(std::ceil((x + 1) * sx)) && !any; ++dx)
                            any = plane.pixelIndex(std::min(dx, plane.width() - 1),
                                                   std::min(dy, plane.height() - 1)) == 1;
                    QVERIFY2(any, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                }
            QVERIFY(black > 0);
        }
    }

    // A design that would not open again is not written: the file keeps what it had.
    void offTheCardNotSaved() {
        QTemporaryDir dir;
        const QString design = copyExample(dir.path());
        const QByteArray before = kalyxtest::readFile(design);
        klxSetCommandLine({design});
        KlxPrnTool window;
        DesignView* view = child<DesignView>(window, "designView");
        view->designPage()->select(0, 9);
        view->designPage()->canvas(0)->moveSelected(mmToDots(200), 0);
        QString error;
        QVERIFY(!view->document()->save(design, error));
        QVERIFY2(error.contains(QLatin1String("off the card")), qPrintable(error));
        QCOMPARE(kalyxtest::readFile(design), before);
        QVERIFY(view->document()->isModified());
    }

    void problemRowsMarked_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QList<int>>("problemRows");
        const QByteArray header = "ID,Name,Title,Photo,MagName\n";
        QTest::newRow("all good") << header + "1,Ann,Boss,photos/1001.png,ANN\n" << QList<int>{};
        QTest::newRow("short row") << header + "1,Ann,Boss,photos/1001.png,ANN\n2,Bob\n"
                                   << QList<int>{1};
        QTest::newRow("column missing")
            << QByteArray("ID,Title\n1,Boss\n2,Clerk\n") << QList<int>{0, 1};
        QTest::newRow("photo missing")
            << header + "1,Ann,Boss,photos/1001.png,ANN\n2,Bob,Clerk,photos/none.png,BOB\n"
            << QList<int>{1};
        QTest::newRow("track text outside its set")
            << header + "1,Ann,Boss,photos/1001.png,ANN\n2,Bob,Clerk,photos/1002.png,B~?%B\n"
            << QList<int>{1};
    }

    void problemRowsMarked() {
        QFETCH(QByteArray, csv);
        QFETCH(QList<int>, problemRows);
        QTemporaryDir dir;
        const QString design = copyExample(dir.path());
        kalyxtest::writeFile(dir.path() + QStringLiteral("/rows.csv"), csv);
        klxSetCommandLine({design, dir.path() + QStringLiteral("/rows.csv")});
        KlxPrnTool window;
        BatchPage* batch = child<DesignView>(window, "designView")->batchPage();
        QList<int> found;
        for (int r = 0; r < batch->rowCount(); ++r)
            if (!batch->rowProblems(r).isEmpty())
                found << r;
        QCOMPARE(found, problemRows);
        // The filter leaves exactly the rows with problems.
        child<QCheckBox>(window, "onlyProblems")->setChecked(true);
        for (int r = 0; r < batch->rowCount(); ++r) {
            QCOMPARE(batch->table()->isRowHidden(r), !problemRows.contains(r));
            QCOMPARE(batch->table()->item(r, 1)->text() == QLatin1String("ok"),
                     !problemRows.contains(r));
        }
    }

    void unsavedChangesAskedOnClose_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("saved");
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << false << false;
        QTest::newRow("discard") << int(QMessageBox::Discard) << true << false;
        QTest::newRow("save") << int(QMessageBox::Save) << true << true;
    }

    void unsavedChangesAskedOnClose() {
        QFETCH(int, answer);
        QFETCH(bool, closes);
        QFETCH(bool, saved);
        QTemporaryDir dir;
        const QString design = copyExample(dir.path());
        const QByteArray before = kalyxtest::readFile(design);
        klxSetCommandLine({design});
        KlxPrnTool window;
        window.show();
        DesignView* view = child<DesignView>(window, "designView");
        view->designPage()->select(0, 0);
        view->designPage()->canvas(0)->moveSelected(0, 3);
        auto reply = ModalAnswer::expect<QMessageBox>(
            [&](QMessageBox* box) { box->button(QMessageBox::StandardButton(answer))->click(); });
        QCOMPARE(window.close(), closes);
        QVERIFY(reply->fired());
        QCOMPARE(kalyxtest::readFile(design) != before, saved);
    }
};

KLX_WINDOW_TEST_MAIN(tst_WindowDesign)
#include "tst_window_design.moc"
