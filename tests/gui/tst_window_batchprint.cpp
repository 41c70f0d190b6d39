// Printing a batch from the window: ten rows to a pool of two simulators, followed live and
// arriving once; paused, resumed, cancelled and resumed again from a window opened anew without
// a card printed twice; a row that may have printed asked about and journalled; the printers a
// batch may go to.
#include "BatchJournal.h"
#include "KalyxprnRun.h"
#include "KlxPrnTool.h"
#include "SimProcess.h"
#include "WindowTestSupport.h"
#include "design/BatchPage.h"
#include "design/BatchPrintDialog.h"
#include "design/BatchUncertainDialog.h"
#include "design/DesignView.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <set>

namespace {

// The example badge with its first `rows` data rows, copied where the test may write.
struct Badge {
    QString design, data;
};
Badge copyExample(const QString& to, int rows) {
    const QString from = QStringLiteral(KALYX_SOURCE_DIR "/examples/badge");
    QDir().mkpath(to + QStringLiteral("/photos"));
    for (const QString& name : QDir(from).entryList(QDir::Files))
        QFile::copy(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name);
    for (const QString& name : QDir(from + QStringLiteral("/photos")).entryList(QDir::Files))
        QFile::copy(from + QStringLiteral("/photos/") + name,
                    to + QStringLiteral("/photos/") + name);
    const QList<QByteArray> lines =
        kalyxtest::readFile(from + QStringLiteral("/people.csv")).split('\n').mid(0, rows + 1);
    const QString data = to + QStringLiteral("/people.csv");
    kalyxtest::writeFile(data, lines.join('\n') + '\n');
    return {to + QStringLiteral("/badge.card.json"), data};
}

struct Printers {
    std::vector<std::unique_ptr<kalyxtest::SimProcess>> sims;
    QStringList folders;

    Printers(const QString& under, int count, const char* printTime) {
        for (int i = 0; i < count; ++i) {
            folders << under + QStringLiteral("/jobs-%1").arg(i);
            QDir().mkpath(folders.last());
            sims.push_back(std::make_unique<kalyxtest::SimProcess>(std::vector<std::string>{
                "--jobs", klxSimulatorPath(folders.last()), "--print-time", printTime}));
        }
    }
    std::vector<PrinterChoice> pool() const {
        std::vector<PrinterChoice> choices;
        for (const auto& sim : sims) {
            PrinterChoice c;
            c.kind = PrinterChoice::Kind::Network;
            c.name = QStringLiteral("127.0.0.1:%1").arg(sim->port());
            choices.push_back(c);
        }
        return choices;
    }
    // Every job the simulators stored, by its bytes, with how often it arrived.
    std::map<QByteArray, int> stored() const {
        std::map<QByteArray, int> jobs;
        for (const QString& folder : folders)
            for (const QString& name : QDir(folder).entryList(QDir::Files))
                ++jobs[kalyxtest::readFile(folder + QLatin1Char('/') + name)];
        return jobs;
    }
};

// The jobs kalyxprn batch -o writes for the badge: each row's card once.
std::set<QByteArray> expectedJobs(const Badge& badge, const QString& out) {
    kalyxtest::kalyxprn(
        {QStringLiteral("batch"), badge.design, badge.data, QStringLiteral("-o"), out});
    std::set<QByteArray> jobs;
    for (const QString& name : QDir(out).entryList(QDir::Files))
        jobs.insert(kalyxtest::readFile(out + QLatin1Char('/') + name));
    return jobs;
}

// Each of `expected` arrived exactly once, and nothing else did.
void checkEachOnce(const Printers& printers, const std::set<QByteArray>& expected) {
    const std::map<QByteArray, int> stored = printers.stored();
    QCOMPARE(int(stored.size()), int(expected.size()));
    for (const auto& job : stored) {
        QVERIFY(expected.count(job.first));
        QCOMPARE(job.second, 1);
    }
}

BatchPage* batchPageOf(const KlxPrnTool& window) {
    return child<DesignView>(window, "designView")->batchPage();
}

QJsonObject journalStatus(const QString& journal) {
    const kalyxtest::Result status = kalyxtest::kalyxprn(
        {QStringLiteral("batch"), QStringLiteral("--status"), journal, QStringLiteral("--json")});
    return QJsonDocument::fromJson(status.out.toUtf8()).object();
}

int rowsShowing(const BatchPage* page, const QString& text) {
    int n = 0;
    for (int r = 0; r < page->rowCount(); ++r)
        n += page->printState(r) == text;
    return n;
}

} // namespace

class tst_WindowBatchPrint : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("SOURCE_DATE_EPOCH", "1700000000"); }

    void tenRowsToTwoPrintersArriveOnce() {
        QTemporaryDir dir(klxSharedFolderTemplate(QStringLiteral("kalyx-window-batch")));
        const Badge badge = copyExample(dir.path() + QStringLiteral("/badge"), 10);
        const std::set<QByteArray> expected =
            expectedJobs(badge, dir.path() + QStringLiteral("/o"));
        QCOMPARE(int(expected.size()), 10);
        Printers printers(dir.path(), 2, "0.3");
        klxSetCommandLine({badge.design, badge.data});
        KlxPrnTool window;
        window.show();
        BatchPage* page = batchPageOf(window);
        QSignalSpy ended(page, &BatchPage::printEnded);
        QVERIFY(page->printTo(printers.pool()));
        QVERIFY(page->printing());
        // The progress moves while the cards print, and both printers take cards.
        auto* bar = page->findChild<QProgressBar*>();
        QTRY_VERIFY_WITH_TIMEOUT(bar->value() > 0 && bar->value() < 10, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!ended.isEmpty(), 60000);
        QCOMPARE(ended.at(0).at(0).toInt(), 0);
        QCOMPARE(bar->value(), 10);
        QCOMPARE(bar->maximum(), 10);
        QCOMPARE(rowsShowing(page, QStringLiteral("sent")), 10);
        // Each printer's count, and the counts add up to the batch.
        const QString perPrinter = child<QLabel>(window, "batchPrinters")->text();
        int counted = 0;
        for (const PrinterChoice& p : printers.pool()) {
            const QRegularExpression count(QRegularExpression::escape(p.name) +
                                           QStringLiteral(": (\\d+) printed"));
            const QRegularExpressionMatch match = count.match(perPrinter);
            QVERIFY2(match.hasMatch(), qPrintable(perPrinter));
            counted += match.captured(1).toInt();
        }
        QCOMPARE(counted, 10);
        checkEachOnce(printers, expected);
        for (const QString& folder : printers.folders)
            QVERIFY2(!QDir(folder).entryList(QDir::Files).isEmpty(), "a printer had no card");

        // The design saved again since (as after moving a field): printing again asks whether
        // to go on with the changed design, and prints nothing twice.
        kalyxtest::writeFile(badge.design, kalyxtest::readFile(badge.design) + "\n");
        ended.clear();
        auto goOn = ModalAnswer::expect<QMessageBox>(
            [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        QVERIFY(page->printTo(printers.pool()));
        QTRY_VERIFY_WITH_TIMEOUT(ended.size() == 2, 60000);
        QVERIFY(goOn->fired());
        QCOMPARE(ended.at(1).at(0).toInt(), 0);
        checkEachOnce(printers, expected);
    }

    // Paused and resumed in the window, then cancelled, then resumed from a window opened anew
    // on the same design and data: every card arrives once.
    void pausedCancelledAndResumedPrintNothingTwice() {
        QTemporaryDir dir(klxSharedFolderTemplate(QStringLiteral("kalyx-window-batch")));
        const Badge badge = copyExample(dir.path() + QStringLiteral("/badge"), 10);
        const std::set<QByteArray> expected =
            expectedJobs(badge, dir.path() + QStringLiteral("/o"));
        Printers printers(dir.path(), 2, "0.6");
        klxSetCommandLine({badge.design, badge.data});
        auto window = std::make_unique<KlxPrnTool>();
        BatchPage* page = batchPageOf(*window);
        auto* pause = child<QPushButton>(*window, "batchPauseButton");
        auto* cancel = child<QPushButton>(*window, "batchCancelButton");
        QSignalSpy ended(page, &BatchPage::printEnded);
        QVERIFY(page->printTo(printers.pool()));

        const struct {
            QPushButton* button;
            int sentBefore; // cards sent before the button is pressed
            int status;
        } stops[] = {{pause, 2, 130}, {cancel, 5, 130}};
        for (const auto& stop : stops) {
            QTRY_VERIFY_WITH_TIMEOUT(rowsShowing(page, QStringLiteral("sent")) >= stop.sentBefore,
                                     30000);
            ended.clear();
            stop.button->click();
            QTRY_VERIFY_WITH_TIMEOUT(!ended.isEmpty(), 30000);
            QCOMPARE(ended.at(0).at(0).toInt(), stop.status);
            // The cards in flight finished: no row is left sending.
            for (int r = 0; r < page->rowCount(); ++r)
                QVERIFY2(!page->printState(r).startsWith(QLatin1String("sending")),
                         qPrintable(page->printState(r)));
            if (stop.button == pause) {
                QCOMPARE(pause->text(), QStringLiteral("Resume"));
                pause->click();
                QVERIFY(page->printing());
            }
        }
        const int sentBeforeReopening = rowsShowing(page, QStringLiteral("sent"));
        QVERIFY(sentBeforeReopening < 10);

        // The same design and data opened again: the journal's state shown, Resume offered.
        window.reset();
        window = std::make_unique<KlxPrnTool>();
        page = batchPageOf(*window);
        auto* resume = child<QPushButton>(*window, "batchResumeButton");
        QTRY_VERIFY_WITH_TIMEOUT(!resume->isHidden(), 10000);
        QCOMPARE(rowsShowing(page, QStringLiteral("sent")), sentBeforeReopening);
        QVERIFY2(child<QLabel>(*window, "batchJournal")
                     ->text()
                     .contains(QStringLiteral("printed %1 of 10").arg(sentBeforeReopening)),
                 qPrintable(child<QLabel>(*window, "batchJournal")->text()));
        QSignalSpy resumed(page, &BatchPage::printEnded);
        resume->click();
        QTRY_VERIFY_WITH_TIMEOUT(!resumed.isEmpty(), 60000);
        QCOMPARE(resumed.at(0).at(0).toInt(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(rowsShowing(page, QStringLiteral("sent")) == 10, 10000);
        checkEachOnce(printers, expected);
        QTRY_VERIFY_WITH_TIMEOUT(resume->isHidden(), 10000);
    }

    // Closing the window mid-batch asks first; agreed, the cards in flight finish before it
    // closes and none is left uncertain.
    void closedMidBatchStopsAfterTheCardsInFlight() {
        QTemporaryDir dir(klxSharedFolderTemplate(QStringLiteral("kalyx-window-batch")));
        const Badge badge = copyExample(dir.path() + QStringLiteral("/badge"), 6);
        Printers printers(dir.path(), 1, "0.5");
        klxSetCommandLine({badge.design, badge.data});
        KlxPrnTool window;
        window.show();
        BatchPage* page = batchPageOf(window);
        QVERIFY(page->printTo(printers.pool()));
        QTRY_VERIFY_WITH_TIMEOUT(rowsShowing(page, QStringLiteral("sent")) >= 1, 30000);
        // The rows in the table are the run's: another data file waits.
        QString busy;
        QVERIFY(!page->openData(badge.data, &busy));
        QVERIFY2(busy.contains(QLatin1String("printing")), qPrintable(busy));
        auto stop = ModalAnswer::expect<QMessageBox>(
            [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        QVERIFY(window.close());
        QVERIFY(stop->fired());
        QVERIFY(!page->printing());
        const QJsonObject status = journalStatus(badge.data + QStringLiteral(".journal"));
        QCOMPARE(status[QLatin1String("summary")][QLatin1String("uncertain")].toInt(), 0);
        const int printed = status[QLatin1String("summary")][QLatin1String("printed")].toInt();
        QVERIFY(printed >= 1 && printed < 6);
        QTRY_COMPARE_WITH_TIMEOUT(int(printers.stored().size()), printed, 5000);
    }

    // A row whose card may have printed (its journal says sending, no outcome) is asked about
    // before the batch goes on; the answer is journalled and the card does not print again.
    void uncertainRowAskedAndJournalled() {
        QTemporaryDir dir(klxSharedFolderTemplate(QStringLiteral("kalyx-window-batch")));
        const Badge badge = copyExample(dir.path() + QStringLiteral("/badge"), 3);
        Printers printers(dir.path(), 1, "0");
        const QString journal = badge.data + QStringLiteral(".journal");
        const kalyxtest::Result first = kalyxtest::kalyxprn(
            {QStringLiteral("batch"), badge.design, badge.data, QStringLiteral("--tcp"),
             printers.pool().front().name, QStringLiteral("--rows"), QStringLiteral("1-2")});
        QCOMPARE(first.status, 0);
        {
            // A run that died while row 3 was going out.
            std::unique_ptr<carddesign::BatchJournal> open;
            QString problem;
            QCOMPARE(carddesign::BatchJournal::openForRun(journal, open, problem),
                     carddesign::BatchJournal::Opened::Ok);
            QVERIFY(open->recordRow(carddesign::journalEvent::sending, QStringLiteral("1003"), 3,
                                    {{QStringLiteral("printer"), printers.pool().front().name}},
                                    problem));
        }
        klxSetCommandLine({badge.design, badge.data});
        KlxPrnTool window;
        window.show();
        BatchPage* page = batchPageOf(window);
        auto* resume = child<QPushButton>(window, "batchResumeButton");
        QTRY_VERIFY_WITH_TIMEOUT(!resume->isHidden(), 10000);
        QVERIFY2(page->printState(2).contains(QLatin1String("may have printed")),
                 qPrintable(page->printState(2)));

        QSignalSpy ended(page, &BatchPage::printEnded);
        auto reply = ModalAnswer::expect<BatchUncertainDialog>([](BatchUncertainDialog* d) {
            d->answer(0, true);
            d->accept();
        });
        resume->click();
        QVERIFY(reply->fired());
        QTRY_VERIFY_WITH_TIMEOUT(!ended.isEmpty(), 30000);
        QCOMPARE(ended.at(0).at(0).toInt(), 0);
        const QJsonArray rows = journalStatus(journal)[QLatin1String("rows")].toArray();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.at(2)[QLatin1String("state")].toString(), QStringLiteral("printed"));
        QCOMPARE(int(printers.stored().size()), 2);
        QTRY_COMPARE_WITH_TIMEOUT(page->printState(2), QStringLiteral("printed (confirmed)"),
                                  10000);
    }

    // Where a batch may go: one printer or a pool of them as kalyxprn options; a CUPS queue
    // alone; nothing that cannot be reached.
    void destinationsOfAPool_data() {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("first on USB") << QStringList{"usb-first"} << QStringList{"--usb="};
        QTest::newRow("a pool of two") << QStringList{"tcp:10.0.0.1", "tcp:host:9200"}
                                       << QStringList{"--tcp=10.0.0.1", "--tcp=host:9200"};
        QTest::newRow("a queue") << QStringList{"queue:cards"} << QStringList{"--queue=cards"};
        QTest::newRow("a queue in a pool") << QStringList{"queue:cards", "tcp:h"} << QStringList();
        QTest::newRow("USB printer not attached")
            << QStringList{"usb:Kalyx K1 123"} << QStringList();
        QTest::newRow("nothing ticked") << QStringList() << QStringList();
    }

    void destinationsOfAPool() {
        QFETCH(QStringList, keys);
        QFETCH(QStringList, options);
        std::vector<PrinterChoice> pool;
        for (const QString& key : keys)
            pool.push_back(PrinterChoice::fromKey(key));
        QStringList made;
        QString problem;
        QCOMPARE(batchDestinations(pool, made, problem), !options.isEmpty());
        if (options.isEmpty())
            QVERIFY(!problem.isEmpty());
        else
            QCOMPARE(made, options);

        // In the dialog, ticking a queue unticks the printers and the other way round.
        BatchPrintDialog dialog({PrinterChoice::fromKey(QStringLiteral("tcp:a")),
                                 PrinterChoice::fromKey(QStringLiteral("tcp:b")),
                                 PrinterChoice::fromKey(QStringLiteral("queue:q"))},
                                PrinterChoice::fromKey(QStringLiteral("tcp:a")), QString());
        dialog.list()->item(1)->setCheckState(Qt::Checked);
        QCOMPARE(int(dialog.chosen().size()), 2);
        dialog.list()->item(2)->setCheckState(Qt::Checked);
        QCOMPARE(int(dialog.chosen().size()), 1);
        QCOMPARE(dialog.chosen().front().kind, PrinterChoice::Kind::Queue);
        dialog.list()->item(0)->setCheckState(Qt::Checked);
        QCOMPARE(dialog.chosen().front().name, QStringLiteral("a"));
        QCOMPARE(int(dialog.chosen().size()), 1);
    }
};

KLX_WINDOW_TEST_MAIN(tst_WindowBatchPrint)
#include "tst_window_batchprint.moc"
