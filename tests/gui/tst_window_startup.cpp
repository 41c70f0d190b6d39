// Start-up, settings, opening jobs (dialog, drop, command line), the two window states, About.
#include "KlxPrnTool.h"
#include "WindowTestSupport.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QUrl>
#include <QtTest>

namespace {

QStringList capturedWarnings;

void captureMessages(QtMsgType, const QMessageLogContext&, const QString& message) {
    capturedWarnings << message;
}

} // namespace

class tst_WindowStartup : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString goodJob;      // front Y and K, back C, no magnetic data
    QString frontOnlyJob; // front K only, one track
    QString badJob;       // invalid card width

    static void clearSettings() {
        QSettings(QStringLiteral("Orvane"), QStringLiteral("KalyxPrnTool")).clear();
    }

    static bool pageEnabled(KlxPrnTool& w, int page) {
        return child<QTabWidget>(w, "prnTabWidget")->isTabEnabled(page);
    }

    static bool inNoJobState(KlxPrnTool& w, const QString& baseTitle) {
        return w.windowTitle() == baseTitle &&
               !child<QPushButton>(w, "printPushButton")->isEnabled() &&
               !child<QPushButton>(w, "savePushButton")->isEnabled() && !pageEnabled(w, 0) &&
               !pageEnabled(w, 1) && !pageEnabled(w, 2) && pageEnabled(w, 3) &&
               child<QTreeWidget>(w, "prn_tree_widget")->topLevelItemCount() == 0 &&
               child<QTreeWidget>(w, "prn_tree_widget")->columnCount() == 2;
    }

    // Opens path through the Open button; returns what the file dialog offered as its directory.
    static QString openThroughDialog(KlxPrnTool& w, const QString& path) {
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
        QTest::mouseClick(child<QPushButton>(w, "openPushButton"), Qt::LeftButton);
        if (!answer->fired())
            qWarning("the open dialog never came");
        return startDir;
    }

    static bool dragEnter(KlxPrnTool& w, QMimeData& mime) {
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        return enter.isAccepted();
    }

    static void drop(KlxPrnTool& w, QMimeData& mime) {
        if (!dragEnter(w, mime))
            return;
        QDropEvent dropEvent(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                             Qt::NoModifier);
        QApplication::sendEvent(&w, &dropEvent);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        const int w = 506, h = 2;
        const QByteArray card = "<card-options><width>506</width><height>2</height></card-options>";
        goodJob = dir.filePath("good.prn");
        QVERIFY(kalyxtest::writeFile(
            goodJob, klxJob(klxHeader(card + "<side-options side=\"0\"><panel-options panel=\"y\"/>"
                                             "<panel-options panel=\"k\"/></side-options>"
                                             "<side-options side=\"1\"><panel-options panel=\"c\"/>"
                                             "</side-options>",
                                      3 * w * h),
                            klxPlane(w, h, 200) + klxPlane(w, h, 0) + klxPlane(w, h, 90))));
        frontOnlyJob = dir.filePath("front-only.prn");
        QVERIFY(kalyxtest::writeFile(
            frontOnlyJob,
            klxJob(klxHeader(
                       card + "<side-options side=\"0\"><panel-options panel=\"k\"/></side-options>"
                              "<mag-options><track-options track=\"2\"><num-bits>10</num-bits>"
                              "<bpi>75</bpi></track-options></mag-options>",
                       2 + w * h),
                   QByteArray("\xD4\x00", 2) + klxPlane(w, h, 255))));
        badJob = dir.filePath("bad.prn");
        QVERIFY(kalyxtest::writeFile(
            badJob, klxJob(klxHeader("<card-options><width>505</width></card-options>"
                                     "<side-options side=\"0\"><panel-options panel=\"k\"/>"
                                     "</side-options>",
                                     0),
                           QByteArray())));
    }

    void init() {
        clearSettings();
        klxSetCommandLine({});
    }

    void everyNamedSlotFindsItsSignal() {
        capturedWarnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(captureMessages);
        { KlxPrnTool w; }
        qInstallMessageHandler(previous);
        for (const QString& message : capturedWarnings)
            QVERIFY2(!message.contains(QLatin1String("connectSlotsByName")), qPrintable(message));
    }

    void firstStart() {
        KlxPrnTool w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Kalyx PRN Tool "));
        QCOMPARE(w.size(), QSize(1080, 791));
        QCOMPARE(child<QTabWidget>(w, "prnTabWidget")->currentIndex(), 3);
        QVERIFY(inNoJobState(w, QStringLiteral("Kalyx PRN Tool ")));
        QVERIFY(w.acceptDrops());
        QVERIFY(!w.windowIcon().isNull());
    }

    void versionSettingNamesTheWindow() {
        QSettings(QStringLiteral("Orvane"), QStringLiteral("KalyxPrnTool"))
            .setValue(QStringLiteral("Version"), QStringLiteral("2.1"));
        KlxPrnTool w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Kalyx PRN Tool 2.1"));
        openThroughDialog(w, goodJob);
        QCOMPARE(w.windowTitle(), goodJob + QStringLiteral(" --- Kalyx PRN Tool 2.1"));
    }

    void positionSizeAndFolderSurviveARestart() {
        {
            KlxPrnTool w;
            openThroughDialog(w, goodJob);
            w.move(120, 90);
            w.resize(900, 700);
        }
        KlxPrnTool again;
        QCOMPARE(again.pos(), QPoint(120, 90));
        QCOMPARE(again.size(), QSize(900, 700));
        QCOMPARE(openThroughDialog(again, QString()), dir.path());
    }

    void commandLineJobOpensBeforeShow() {
        klxSetCommandLine({goodJob, QStringLiteral("ignored-second-argument")});
        MessageBoxLog boxes;
        auto w = std::make_unique<KlxPrnTool>();
        QVERIFY(!w->isVisible());
        QVERIFY(boxes.boxes().empty());
        QCOMPARE(w->windowTitle(), goodJob + QStringLiteral(" --- Kalyx PRN Tool "));
        QVERIFY(pageEnabled(*w, 0));
        QVERIFY(pageEnabled(*w, 1));
        QVERIFY(!pageEnabled(*w, 2));
        QVERIFY(child<QPushButton>(*w, "savePushButton")->isEnabled());
        w.reset();
        // The command line leaves the dialogs' folder alone.
        QCOMPARE(QSettings(QStringLiteral("Orvane"), QStringLiteral("KalyxPrnTool"))
                     .value(QStringLiteral("fileDialogDirName"), QStringLiteral("unset"))
                     .toString(),
                 QString());
    }

    void emptyOrBadCommandLineArgument() {
        {
            klxSetCommandLine({QString()});
            MessageBoxLog boxes;
            KlxPrnTool w;
            QTest::qWait(30);
            QVERIFY(boxes.boxes().empty());
            QVERIFY(inNoJobState(w, QStringLiteral("Kalyx PRN Tool ")));
        }
        klxSetCommandLine({badJob});
        MessageBoxLog boxes;
        KlxPrnTool w;
        QCOMPARE(boxes.texts(), QStringList({QStringLiteral("Invalid image width 505"),
                                             QStringLiteral("Couldn't parse PRN file.")}));
        QCOMPARE(boxes.boxes()[0].title, QStringLiteral("Parse Failure"));
        QVERIFY(!boxes.boxes()[0].hasParent);
        QCOMPARE(boxes.boxes()[1].title, QStringLiteral("Error"));
        QCOMPARE(boxes.boxes()[1].icon, QMessageBox::Critical);
        QVERIFY(inNoJobState(w, QStringLiteral("Kalyx PRN Tool ")));
    }

    void openThroughTheDialog() {
        KlxPrnTool w;
        MessageBoxLog boxes;

        openThroughDialog(w, QString());
        QVERIFY(boxes.boxes().empty());
        QVERIFY(inNoJobState(w, QStringLiteral("Kalyx PRN Tool ")));

        openThroughDialog(w, dir.filePath("missing.prn"));
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("File does not exist.")});
        QVERIFY(inNoJobState(w, QStringLiteral("Kalyx PRN Tool ")));

        openThroughDialog(w, frontOnlyJob);
        QCOMPARE(boxes.boxes().size(), size_t(1));
        QCOMPARE(w.windowTitle(), frontOnlyJob + QStringLiteral(" --- Kalyx PRN Tool "));
        QVERIFY(pageEnabled(w, 0));
        QVERIFY(!pageEnabled(w, 1));
        QVERIFY(pageEnabled(w, 2));
        QCOMPARE(child<QTabWidget>(w, "prnTabWidget")->currentIndex(), 3);
        QVERIFY(child<QPushButton>(w, "printPushButton")->isEnabled());

        // A missing file leaves the loaded job alone.
        openThroughDialog(w, dir.filePath("missing.prn"));
        QCOMPARE(boxes.texts().last(), QStringLiteral("File does not exist."));
        QVERIFY(child<QPushButton>(w, "savePushButton")->isEnabled());

        // A bad job after a good one: no job, but the pages keep what they showed.
        openThroughDialog(w, badJob);
        QCOMPARE(boxes.texts().mid(2), QStringList({QStringLiteral("Invalid image width 505"),
                                                    QStringLiteral("Couldn't parse PRN file.")}));
        QVERIFY(inNoJobState(w, QStringLiteral("Kalyx PRN Tool ")));
        QVERIFY(child<QCheckBox>(w, "check_box_k1")->isChecked());
        QVERIFY(!child<QCheckBox>(w, "check_box_k1")->testAttribute(Qt::WA_ForceDisabled));
    }

    void dropOpensTheFirstLocalFile() {
        KlxPrnTool w;
        QString firstDir = openThroughDialog(w, QString());
        MessageBoxLog boxes;

        QMimeData text;
        text.setText(goodJob);
        QVERIFY(!dragEnter(w, text));

        QMimeData two;
        two.setUrls({QUrl::fromLocalFile(goodJob), QUrl::fromLocalFile(badJob)});
        drop(w, two);
        QVERIFY(boxes.boxes().empty());
        QCOMPARE(w.windowTitle(), goodJob + QStringLiteral(" --- Kalyx PRN Tool "));
        // A drop does not move the dialogs' folder.
        QCOMPARE(openThroughDialog(w, QString()), firstDir);

        QMimeData remote;
        remote.setUrls({QUrl(QStringLiteral("https://example.invalid/job.prn"))});
        drop(w, remote);
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Couldn't parse PRN file.")});
        QVERIFY(inNoJobState(w, QStringLiteral("Kalyx PRN Tool ")));
    }

    void aboutBoxLinksEveryAddress() {
        klxSetCommandLine({goodJob});
        KlxPrnTool w;
        QString title, text;
        auto answer = ModalAnswer::expect<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        QTest::mouseClick(child<QPushButton>(w, "aboutPushButton"), Qt::LeftButton);
        QVERIFY(answer->fired());
        QCOMPARE(title, w.windowTitle());
        QVERIFY(text.startsWith(
            QStringLiteral("This application uses the following third party "
                           "software libraries.<br><br><b>Qt - Version 5.11.0</b><br>")));
        QVERIFY(text.contains(QStringLiteral("<br><br><b>pugixml</b><br>")));
        QVERIFY(!text.contains(QLatin1Char('\n')));

        const QRegularExpression link(QStringLiteral("<a href='([^']+)'>([^<]+)</a>"));
        int links = 0;
        for (auto it = link.globalMatch(text); it.hasNext(); ++links) {
            const QRegularExpressionMatch m = it.next();
            QCOMPARE(m.captured(1), m.captured(2));
        }
        QVERIFY(links >= 4);
        QString rest = text;
        rest.remove(link);
        QVERIFY2(!rest.contains(QLatin1String("http")) && !rest.contains(QLatin1String("www.")),
                 qPrintable(rest));
    }
};

KLX_WINDOW_TEST_MAIN(tst_WindowStartup)
#include "tst_window_startup.moc"
