// A card design in the window: opened with its data from the command line, an object moved by
// keys and undone, saved and printed by kalyxprn batch as the same jobs as a design saved with
// that move; rows with problems marked; unsaved changes asked about on close.
#include "KalyxprnRun.h"
#include "KlxPrnTool.h"
#include "WindowTestSupport.h"
#include "design/BatchPage.h"
#include "design/DesignCanvas.h"
#include "design/DesignDocument.h"
#include "design/DesignPage.h"
#include "design/DesignView.h"

#include <carddesign/CardDesignFile.h>
#include <carddesign/CardUnits.h>

#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
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
