// The side pages (plane boxes, pictures, export), the magnetic page, Save as and Print.
#include "CardPictureLabel.h"
#include "KlxPrnTool.h"
#include "WindowTestSupport.h"
#include <kalyxdocument/KlxPrnHolder.h>

#include <kalyxcomms/Comms.h>
#include <kalyxcomms/Printer.h>
#include <prnformat/TrackCharacters.h>

#include <QCheckBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QUrl>
#include <QtTest>

#include <csignal>
#if !defined(Q_OS_WIN)
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

const int narrow = 506;
const int wide = 2026;
const int rows = 2;

// Track 1: "A" then LRC 0101010 (ISO, 7-bit cells). Track 2: ";1?" then LRC 10101.
const QByteArray track1 = QByteArray("\x86\xA8", 2);
const QByteArray track2 = QByteArray("\xD4\x3F\x50", 3);

} // namespace

class tst_WindowPages : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString colourJob; // two sides, four planes each, tracks 1 and 2
    QString wideJob;   // 2026 dots wide, front K only, back C only
    QString magJob;    // tracks only, no sides
    std::unique_ptr<KlxPrnTool> w;

    template <class T> T* child(const char* name) const { return ::child<T>(*w, name); }

    void open(const QString& path) {
        klxSetCommandLine({path});
        w = std::make_unique<KlxPrnTool>();
    }

    QImage shown(const char* label) const {
        return child<QLabel>(label)->pixmap(Qt::ReturnByValue).toImage();
    }

    // Clicks button, answers its save dialog with path, returns the dialog's start folder.
    QString saveThrough(const char* button, const QString& path) {
        QString startDir;
        auto answer = ModalAnswer::expect<QFileDialog>([&](QFileDialog* fd) {
            startDir = fd->directory().absolutePath();
            if (path.isEmpty()) {
                fd->reject();
            } else {
                fd->selectFile(path);
                static_cast<QDialog*>(fd)->done(QDialog::Accepted);
            }
        });
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
        if (!answer->fired())
            qWarning("no file dialog for %s", button);
        return startDir;
    }

    QStringList magTexts() const {
        QStringList texts;
        for (const char* name : {"track_1_data", "track_1_lrc", "track_2_data", "track_2_lrc",
                                 "track_3_data", "track_3_lrc"})
            texts << child<QLineEdit>(name)->text();
        return texts;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        const QByteArray size = "<card-options><width>506</width><height>2</height></card-options>";
        const QByteArray fourPanels = "<panel-options panel=\"y\"/><panel-options panel=\"m\"/>"
                                      "<panel-options panel=\"c\"/><panel-options panel=\"k\"/>";
        const QByteArray tracks =
            "<mag-options><track-options track=\"1\"><num-bits>14</num-bits><bpi>210</bpi>"
            "</track-options><track-options track=\"2\"><num-bits>20</num-bits><bpi>75</bpi>"
            "</track-options></mag-options>";
        // Front: yellow everywhere, black in the first ten columns. Back: cyan at half strength.
        const QByteArray binary =
            track1 + track2 + klxPlane(narrow, rows, 255) + klxPlane(narrow, rows, 0) +
            klxPlane(narrow, rows, 0) +
            klxPlane(narrow, rows, [](int x, int) { return x < 10 ? 255 : 0; }) +
            klxPlane(narrow, rows, 0) + klxPlane(narrow, rows, 0) + klxPlane(narrow, rows, 128) +
            klxPlane(narrow, rows, 0);
        colourJob = dir.filePath(QStringLiteral("colour.prn"));
        QVERIFY(kalyxtest::writeFile(
            colourJob, klxJob(klxHeader(size + "<side-options side=\"0\">" + fourPanels +
                                            "</side-options><side-options side=\"1\">" +
                                            fourPanels + "</side-options>" + tracks,
                                        binary.size()),
                              binary)));

        wideJob = dir.filePath(QStringLiteral("wide.prn"));
        QVERIFY(kalyxtest::writeFile(
            wideJob, klxJob(klxHeader("<card-options><width>2026</width><height>2</height>"
                                      "</card-options><side-options side=\"0\"><panel-options "
                                      "panel=\"k\"/></side-options><side-options side=\"1\">"
                                      "<panel-options panel=\"c\"/></side-options>",
                                      2 * wide * rows),
                            klxPlane(wide, rows, 255) + klxPlane(wide, rows, 255))));

        // num-bits 7 is no longer than one ISO track 1 cell; "0x14" is no decimal number.
        magJob = dir.filePath(QStringLiteral("mag.prn"));
        QVERIFY(kalyxtest::writeFile(
            magJob,
            klxJob(klxHeader("<mag-options><track-options track=\"1\"><num-bits>7</num-bits>"
                             "<bpi>210</bpi></track-options><track-options track=\"2\">"
                             "<num-bits>0x14</num-bits><bpi>75</bpi></track-options>"
                             "</mag-options>",
                             4),
                   QByteArray("\xFE\x00\x00\x00", 4))));
    }

    void cleanup() { w.reset(); }

    void planeBoxesFollowThePanelsPresent() {
        open(wideJob);
        for (const char* name : {"check_box_y1", "check_box_m1", "check_box_c1", "check_box_y2",
                                 "check_box_m2", "check_box_k2"}) {
            QVERIFY2(!child<QCheckBox>(name)->isChecked(), name);
            QVERIFY2(child<QCheckBox>(name)->testAttribute(Qt::WA_ForceDisabled), name);
        }
        QCheckBox* k1 = child<QCheckBox>("check_box_k1");
        QVERIFY(k1->isChecked());
        QVERIFY(!k1->testAttribute(Qt::WA_ForceDisabled));
        QVERIFY(child<QCheckBox>("check_box_c2")->isChecked());

        // Clearing the only plane leaves a white picture and nothing to export.
        QPushButton* export1 = child<QPushButton>("export1PushButton");
        QVERIFY(!export1->testAttribute(Qt::WA_ForceDisabled));
        QCOMPARE(shown("side1Label").pixel(100, 1), qRgb(0, 0, 0));
        k1->setChecked(false);
        QVERIFY(export1->testAttribute(Qt::WA_ForceDisabled));
        QCOMPARE(shown("side1Label").pixel(100, 1), qRgb(255, 255, 255));
        k1->setChecked(true);
        QVERIFY(!export1->testAttribute(Qt::WA_ForceDisabled));
        QCOMPARE(shown("side1Label").pixel(100, 1), qRgb(0, 0, 0));
    }

    void hidingPlanesRedrawsBothSides() {
        open(colourJob);
        for (const char* name : {"check_box_y1", "check_box_m1", "check_box_c1", "check_box_k1",
                                 "check_box_y2", "check_box_m2", "check_box_c2", "check_box_k2"})
            QVERIFY2(child<QCheckBox>(name)->isChecked(), name);

        QImage front = shown("side1Label");
        QCOMPARE(front.size(), QSize(narrow, rows));
        QCOMPARE(front.pixel(20, 0), qRgb(255, 255, 0)); // yellow
        QCOMPARE(front.pixel(5, 1), qRgb(0, 0, 0));      // K wins
        QCOMPARE(shown("side2Label").pixel(20, 0), qRgb(127, 255, 255));

        child<QCheckBox>("check_box_y1")->setChecked(false);
        front = shown("side1Label");
        QCOMPARE(front.pixel(20, 0), qRgb(255, 255, 255));
        QCOMPARE(front.pixel(5, 1), qRgb(0, 0, 0));

        child<QCheckBox>("check_box_y1")->setChecked(true);
        child<QCheckBox>("check_box_k1")->setChecked(false);
        QCOMPARE(shown("side1Label").pixel(5, 1), qRgb(255, 255, 0));

        // A back box re-renders the front too.
        const qint64 frontKey = child<QLabel>("side1Label")->pixmap(Qt::ReturnByValue).cacheKey();
        child<QCheckBox>("check_box_c2")->setChecked(false);
        QVERIFY(child<QLabel>("side1Label")->pixmap(Qt::ReturnByValue).cacheKey() != frontKey);
        QCOMPARE(shown("side2Label").pixel(20, 0), qRgb(255, 255, 255));
    }

    // A toggle draws into the pixels the label already has, unless someone still holds the
    // picture; every step shows just its own planes, and a job of another size gets its own.
    void togglesRedrawIntoTheSamePixels() {
        open(colourJob);
        struct Step {
            const char* box;
            bool checked;
            bool holdCopy;
            QRgb front20, front5; // expected at (20, 0) and (5, 1)
        };
        const QRgb yellowRgb = qRgb(255, 255, 0), whiteRgb = qRgb(255, 255, 255);
        const Step steps[] = {
            {"check_box_y1", false, false, whiteRgb, qRgb(0, 0, 0)},
            {"check_box_k1", false, false, whiteRgb, whiteRgb},
            {"check_box_y1", true, true, yellowRgb, yellowRgb},
            {"check_box_c2", false, false, yellowRgb, yellowRgb},
            {"check_box_k1", true, false, yellowRgb, qRgb(0, 0, 0)},
        };
        auto label = [&](const char* name) { return child<CardPictureLabel>(name); };
        for (const Step& step : steps) {
            const QImage held = step.holdCopy ? label("side1Label")->picture() : QImage();
            const QImage heldBefore = held.copy();
            const uchar* pixels = label("side1Label")->picture().constBits();
            child<QCheckBox>(step.box)->setChecked(step.checked);
            const QImage front = shown("side1Label");
            QCOMPARE(front.pixel(20, 0), step.front20);
            QCOMPARE(front.pixel(5, 1), step.front5);
            QCOMPARE(label("side1Label")->picture().constBits() == pixels, !step.holdCopy);
            QCOMPARE(held, heldBefore);
            // The pixmap shown is the label's picture itself, not a copy of it.
            QCOMPARE(front.constBits(), label("side1Label")->picture().constBits());
        }
        QCOMPARE(shown("side2Label").pixel(20, 0), qRgb(255, 255, 255));

        // Another job of another size, dropped on the same window.
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(wideJob)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(w.get(), &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &drop);
        QCOMPARE(shown("side1Label").size(), QSize(wide, rows));
        QCOMPARE(shown("side1Label").pixel(wide - 1, 1), qRgb(0, 0, 0));
        QCOMPARE(shown("side2Label").pixel(0, 0), qRgb(0, 255, 255));
    }

    // The pictures grow up to 1:1 (the front to the card's size, the back to 1013 x 642) and
    // shrink with the window, so a window of 1280 x 720 shows every page and button.
    void wideCardResizesTheFrontLabelOnlyAndTheWindowFitsASmallScreen() {
        open(wideJob);
        QLabel* front = child<QLabel>("side1Label");
        QLabel* back = child<QLabel>("side2Label");
        QCOMPARE(front->maximumSize(), QSize(wide, rows));
        QCOMPARE(back->maximumSize(), QSize(1013, 642));
        QVERIFY(back->hasScaledContents());
        QCOMPARE(shown("side2Label").size(), QSize(wide, rows));

        w->resize(1280, 720);
        w->show();
        QTabWidget* tabs = child<QTabWidget>("prnTabWidget");
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            QCOMPARE(w->size(), QSize(1280, 720));
            for (const char* name : {"openPushButton", "printPushButton", "printerComboBox",
                                     "savePushButton", "aboutPushButton", "quitPushButton"}) {
                const QWidget* button = child<QWidget>(name);
                const QRect place(button->mapTo(w.get(), QPoint(0, 0)), button->size());
                QVERIFY2(w->rect().contains(place), name);
            }
        }
        // The front picture keeps the card's aspect when it shrinks.
        tabs->setCurrentIndex(0);
        QVERIFY(front->width() < wide);
        QCOMPARE(front->sizeHint(), QSize(wide, rows));
    }

    void exportWritesThePictureAtFullSize() {
        open(wideJob);
        const QString png = dir.filePath(QStringLiteral("back.png"));
        saveThrough("export2PushButton", png);
        const QImage written(png);
        QCOMPARE(written.size(), QSize(wide, rows));
        QCOMPARE(written.pixel(2000, 1), qRgb(0, 255, 255));

        // An unknown suffix fails, and the next dialog still starts in that folder.
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("elsewhere")));
        const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
        MessageBoxLog boxes;
        saveThrough("export1PushButton", elsewhere + QStringLiteral("/front.unknown"));
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Couldn't save image.")});
        QCOMPARE(boxes.boxes()[0].title, QStringLiteral("Error"));
        QVERIFY(!QFile::exists(elsewhere + QStringLiteral("/front.unknown")));
        QCOMPARE(saveThrough("export1PushButton", QString()), elsewhere);
    }

    void exportOnAFullDiskKeepsThePictureItWouldReplace() {
#if defined(Q_OS_WIN)
        QSKIP("a full disk is played with a file size limit, which Windows does not have");
#else
        open(wideJob);
        const QString png = dir.filePath(QStringLiteral("keep.png"));
        saveThrough("export2PushButton", png);
        const QByteArray before = kalyxtest::readFile(png);
        QVERIFY(before.size() > 64);
        // Files may hold 64 bytes at most from here on, as on a full disk.
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit full = saved;
        full.rlim_cur = 64;
        ::setrlimit(RLIMIT_FSIZE, &full);
        MessageBoxLog boxes;
        saveThrough("export1PushButton", png);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Couldn't save image.")});
        QCOMPARE(kalyxtest::readFile(png), before);
#endif
    }

    void magneticPageDecodesIsoAndJis() {
        open(colourJob);
        QVERIFY(child<QTabWidget>("prnTabWidget")->isTabEnabled(2));
        QCOMPARE(magTexts(),
                 QStringList({QStringLiteral("A"), QStringLiteral("0x2a"), QStringLiteral(";1?"),
                              QStringLiteral("0x15"), QString(), QString()}));
        QTest::mouseClick(child<QRadioButton>("jis_button"), Qt::LeftButton, {}, QPoint(5, 8));
        QVERIFY(child<QRadioButton>("jis_button")->isChecked());
        QCOMPARE(magTexts(), QStringList({QStringLiteral("a"), QStringLiteral("0xaa"), QString(),
                                          QString(), QString(), QString()}));
        QTest::mouseClick(child<QRadioButton>("iso_button"), Qt::LeftButton, {}, QPoint(5, 8));
        QCOMPARE(magTexts().mid(0, 4),
                 QStringList({QStringLiteral("A"), QStringLiteral("0x2a"), QStringLiteral(";1?"),
                              QStringLiteral("0x15")}));
    }

    void magneticFailuresShowInTheFields() {
        open(magJob);
        QVERIFY(!child<QTabWidget>("prnTabWidget")->isTabEnabled(0));
        QVERIFY(!child<QTabWidget>("prnTabWidget")->isTabEnabled(1));
        QVERIFY(child<QTabWidget>("prnTabWidget")->isTabEnabled(2));
        QCOMPARE(magTexts(),
                 QStringList({QStringLiteral("Length error!!!"), QStringLiteral("Error"), QString(),
                              QStringLiteral("0x"), QString(), QString()}));
        QVERIFY(child<QLineEdit>("track_1_data")->testAttribute(Qt::WA_ForceDisabled));
    }

    void saveWritesTheSerialisedJobWithEdits() {
        open(colourJob);
        // What the document makes of the same edit.
        KlxPrnHolder expected(colourJob);
        QVERIFY(expected.isValid());
        QVERIFY(expected.setNodeText("num-copies", "/prn/card/card-options", "12"));

        auto answer = ModalAnswer::expect<QInputDialog>([](QInputDialog* d) {
            d->setIntValue(12);
            d->accept();
        });
        QTreeWidget* tree = child<QTreeWidget>("prn_tree_widget");
        const QList<QTreeWidgetItem*> copies =
            tree->findItems(QStringLiteral("num-copies"), Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(copies.size(), 1);
        tree->setCurrentItem(copies.first());
        QTest::keyClick(tree, Qt::Key_Return);
        QVERIFY(answer->fired());
        // Hidden planes change only the pictures.
        child<QCheckBox>("check_box_k1")->setChecked(false);

        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("saved")));
        const QString target = dir.filePath(QStringLiteral("saved/job.prn"));
        saveThrough("savePushButton", target);
        QCOMPARE(kalyxtest::readFile(target), expected.toByteArray());
        QCOMPARE(saveThrough("savePushButton", QString()), dir.filePath(QStringLiteral("saved")));
        QCOMPARE(w->windowTitle(), colourJob + QStringLiteral(" --- Kalyx PRN Tool "));
    }

    void saveIntoAnUnwritableFolderFails() {
        open(colourJob);
#if defined(Q_OS_WIN)
        // A read-only folder still takes new files on Windows; a read-only file is not replaced.
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("locked")));
        const QString folder = dir.filePath(QStringLiteral("locked"));
        QVERIFY(kalyxtest::writeFile(folder + QStringLiteral("/job.prn"), "kept"));
        QFile::setPermissions(folder + QStringLiteral("/job.prn"), QFile::ReadOwner);
#else
        // root writes anywhere a mode allows, but not into /proc.
        QString folder = QStringLiteral("/proc");
        if (geteuid() != 0) {
            QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("locked")));
            folder = dir.filePath(QStringLiteral("locked"));
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        }
#endif
        MessageBoxLog boxes;
        saveThrough("savePushButton", folder + QStringLiteral("/job.prn"));
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Couldn't save PRN.")});
        QCOMPARE(boxes.boxes()[0].icon, QMessageBox::Critical);
        QCOMPARE(saveThrough("savePushButton", QString()), folder);
    }

    // Composed by the library (planes first), then opened: the same pictures as the job without
    // tracks, and the composed texts, for ISO tracks and for a JIS Type II track 1.
    void composedJobsWithTracksShowAsComposed() {
        Orvane::PrintOptions options;
        options.cardOptions = {{"width", "506"}, {"height", "2"}};
        Orvane::PanelOptions panels;
        Orvane::ImageData images;
        for (int p = 0; p < 4; ++p) {
            panels[std::size_t(p)].emplace();
            for (int i = 0; i < narrow * rows; ++i)
                images.planes[0][std::size_t(p)].push_back(
                    static_cast<unsigned char>((i * (p + 3)) % 251));
        }
        options.sides[0] = panels;
        const Orvane::Comms comms;
        auto compose = [&](const Orvane::PrintOptions& o, const Orvane::MagData& mag,
                           const char* name) {
            const QString path = dir.filePath(QString::fromLatin1(name));
            const auto printer = comms.getFilePrinter(path.toStdString());
            return printer && printer->printCard(o, images, mag) ? path : QString();
        };
        const QString plain = compose(options, {}, "plain.prn");
        QVERIFY(!plain.isEmpty());
        open(plain);
        const QImage expected = shown("side1Label");

        struct Case {
            const char* name;
            std::array<std::string, 3> texts;
            unsigned track1Bits;
        };
        const Case cases[] = {
            {"iso.prn", {"%B12^AB?", ";123=4?", ";98?"}, 7},
            {"one.prn", {"", ";5?", ""}, 7},
            {"jis.prn", {"Kalyx 7", "", ""}, 8},
        };
        for (const Case& c : cases) {
            Orvane::PrintOptions withTracks = options;
            Orvane::MagData mag;
            withTracks.magOptions.emplace();
            for (int t = 0; t < 3; ++t) {
                if (c.texts[std::size_t(t)].empty())
                    continue;
                mag.tracks[std::size_t(t)] = Orvane::encodeTrackCharacters(
                    c.texts[std::size_t(t)], t == 0 ? c.track1Bits : 5);
                withTracks.trackOptions[std::size_t(t)] = Orvane::OptionMap{{"bpi", "210"}};
            }
            const QString path = compose(withTracks, mag, c.name);
            QVERIFY(!path.isEmpty());
            open(path);
            QCOMPARE(shown("side1Label"), expected);
            if (c.track1Bits == 8)
                QTest::mouseClick(child<QRadioButton>("jis_button"), Qt::LeftButton, {},
                                  QPoint(5, 8));
            const QStringList texts = magTexts();
            for (int t = 0; t < 3; ++t)
                QCOMPARE(texts.at(2 * t), QString::fromStdString(c.texts[std::size_t(t)]));
            QTest::mouseClick(child<QRadioButton>("iso_button"), Qt::LeftButton, {}, QPoint(5, 8));
        }
    }

    void printWithoutPrinterRestoresTheButton() {
        open(colourJob);
        QPushButton* print = child<QPushButton>("printPushButton");
        QString textDuringPrint;
        bool enabledDuringPrint = true;
        QString message;
        auto answer = ModalAnswer::expect<QMessageBox>([&](QMessageBox* box) {
            textDuringPrint = print->text();
            enabledDuringPrint = print->isEnabled();
            message = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        QTest::mouseClick(print, Qt::LeftButton);
        QVERIFY(answer->fired());
        QCOMPARE(message, QStringLiteral("Could not open connection to printer."));
        QCOMPARE(textDuringPrint, QStringLiteral("Printing..."));
        QVERIFY(!enabledDuringPrint);
        QCOMPARE(print->text(), QStringLiteral("&Print via USB"));
        QVERIFY(print->isEnabled());
    }
};

KLX_WINDOW_TEST_MAIN(tst_WindowPages)
#include "tst_window_pages.moc"
