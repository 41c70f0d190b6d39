// The window with printers: the chooser, the Printer page against kalyxsim and a scripted
// peer, a silent printer, and printing to a chosen printer. USB and CUPS cases run when a
// wrapper provides the printer (kalyxsim --usb, a private cupsd) and say which in the
// environment. Under wine the simulators run natively (started through the broker) and the USB
// printer is a device staged in the prefix; there are no CUPS queues on Windows.
#include "KlxPrnTool.h"
#include "LoopbackPeer.h"
#include "PrinterChoice.h"
#include "PrinterExchangeRunner.h"
#include "SimProcess.h"
#include "WindowTestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>

#ifdef _WIN32
#include "PipePrinter.h"
#include "StagedUsbPrinter.h"
#endif

namespace {

QSettings windowSettings() {
    return QSettings(QStringLiteral("Orvane"), QStringLiteral("KalyxPrnTool"));
}

// Starts each window with this printer chosen and these network printers added.
void rememberPrinters(const QString& chosen, const QStringList& network) {
    QSettings settings(QStringLiteral("Orvane"), QStringLiteral("KalyxPrnTool"));
    settings.clear();
    settings.setValue(QStringLiteral("printer"), chosen);
    settings.setValue(QStringLiteral("networkPrinters"), network);
}

QString simAddress(const kalyxtest::SimProcess& sim) {
    return QStringLiteral("127.0.0.1:%1").arg(sim.port());
}

QByteArray smallJob() {
    const QByteArray card = "<card-options><num-copies>1</num-copies><width>506</width>"
                            "<height>128</height></card-options><side-options side=\"0\">"
                            "<panel-options panel=\"k\"/></side-options>";
    const QByteArray binary =
        klxPlane(506, 128, [](int x, int y) { return (x + y) % 2 ? 255 : 0; });
    return klxJob(klxHeader(card, binary.size()), binary);
}

QStringList chooserItems(const KlxPrnTool& w) {
    QStringList items;
    const QComboBox* box = child<QComboBox>(w, "printerComboBox");
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

void activateItem(KlxPrnTool& w, const QString& text) {
    QComboBox* box = child<QComboBox>(w, "printerComboBox");
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    box->setCurrentIndex(index);
    emit box->activated(index);
}

bool idle(const KlxPrnTool& w) {
    return child<QProgressBar>(w, "busyBar")->isHidden();
}

QString label(const KlxPrnTool& w, const char* name) {
    return child<QLabel>(w, name)->text();
}

void click(const KlxPrnTool& w, const char* button) {
    child<QPushButton>(w, button)->click();
}

// Shows the Printer page, which asks the printer at once.
void showPrinterPage(KlxPrnTool& w) {
    w.show();
    QTabWidget* tabs = child<QTabWidget>(w, "prnTabWidget");
    tabs->setCurrentWidget(child<QWidget>(w, "printer_tab"));
}

} // namespace

class tst_WindowPrinters : public QObject {
    Q_OBJECT

private slots:
    void addressesAndKeys_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("host only") << "printer.local" << true << "printer.local" << 9100;
        QTest::newRow("with port") << " 10.0.0.7:9200 " << true << "10.0.0.7" << 9200;
        QTest::newRow("port 0") << "host:0" << false << "" << 0;
        QTest::newRow("port too big") << "host:65536" << false << "" << 0;
        QTest::newRow("blank inside") << "a b" << false << "" << 0;
        QTest::newRow("scheme") << "tcp://host" << false << "" << 0;
        QTest::newRow("empty port") << "host:" << false << "" << 0;
    }
    void addressesAndKeys() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        NetworkAddress address;
        QString reason;
        QCOMPARE(parseNetworkAddress(text, address, reason), valid);
        QCOMPARE(reason.isEmpty(), valid);
        QFETCH(QString, host);
        QFETCH(int, port);
        if (valid) {
            QCOMPARE(address.host, host);
            QCOMPARE(int(address.port), port);
        }
        // Every kind survives the settings, and an unknown key falls back to the first on USB.
        for (const QString& key :
             {QStringLiteral("usb-first"), QStringLiteral("usb:Orvane K2 (S1)"),
              QStringLiteral("tcp:") + text.trimmed(), QStringLiteral("queue:desk")})
            QCOMPARE(PrinterChoice::fromKey(key).key(), key);
        QCOMPARE(PrinterChoice::fromKey(QStringLiteral("tcp:")).key(), QStringLiteral("usb-first"));
    }

    // Added network printers are listed and the choice comes back; adding one remembers it,
    // a bad address is refused with the reason.
    void chooserListsAndRemembersNetworkPrinters() {
        rememberPrinters(QStringLiteral("tcp:printer.example:9101"),
                         {QStringLiteral("127.0.0.1:9"), QStringLiteral("printer.example:9101")});
        KlxPrnTool w;
        QTRY_VERIFY(idle(w));
        const QStringList items = chooserItems(w);
        QCOMPARE(items.first(), QStringLiteral("First printer on USB"));
        QVERIFY(items.contains(QStringLiteral("Network: 127.0.0.1:9")));
        QCOMPARE(child<QComboBox>(w, "printerComboBox")->currentText(),
                 QStringLiteral("Network: printer.example:9101"));

        auto add = ModalAnswer::expect<QInputDialog>([](QInputDialog* d) {
            d->setTextValue(QStringLiteral("10.0.0.7:9200"));
            d->accept();
        });
        activateItem(w, QStringLiteral("Add a network printer..."));
        QVERIFY(add->fired());
        QCOMPARE(child<QComboBox>(w, "printerComboBox")->currentText(),
                 QStringLiteral("Network: 10.0.0.7:9200"));
        QCOMPARE(windowSettings().value(QStringLiteral("printer")).toString(),
                 QStringLiteral("tcp:10.0.0.7:9200"));
        QVERIFY(windowSettings()
                    .value(QStringLiteral("networkPrinters"))
                    .toStringList()
                    .contains(QStringLiteral("10.0.0.7:9200")));

        MessageBoxLog boxes;
        auto bad = ModalAnswer::expect<QInputDialog>([](QInputDialog* d) {
            d->setTextValue(QStringLiteral("not an address"));
            d->accept();
        });
        activateItem(w, QStringLiteral("Add a network printer..."));
        QTRY_COMPARE(boxes.texts(), QStringList{QStringLiteral(
                                        "Give the printer's address as HOST or HOST:PORT.")});
        QCOMPARE(child<QComboBox>(w, "printerComboBox")->currentText(),
                 QStringLiteral("Network: 10.0.0.7:9200"));
    }

    // Identity and state from the simulator; an error forced, refused commands in the printer's
    // words, the error cleared; settings written back with the refusal shown.
    void pageShowsIdentityErrorAndSettings() {
        kalyxtest::SimProcess sim({"--serial", "PG-17", "--model", "Kalyx Test", "--hopper", "42"});
        QVERIFY(sim.started());
        rememberPrinters(QStringLiteral("tcp:") + simAddress(sim), {simAddress(sim)});
        KlxPrnTool w;
        showPrinterPage(w);
        QTRY_COMPARE(label(w, "printerModelLabel"), QStringLiteral("Kalyx Test"));
        QCOMPARE(label(w, "printerSerialLabel"), QStringLiteral("PG-17"));
        QCOMPARE(label(w, "printerFirmwareLabel"), QStringLiteral("2.7.1"));
        QCOMPARE(label(w, "printerHopperLabel"), QStringLiteral("42"));
        QCOMPARE(label(w, "printerErrorLabel"), QStringLiteral("none"));
        QTRY_VERIFY(idle(w));

        click(w, "forceErrorButton");
        QTRY_VERIFY(idle(w));
        click(w, "refreshPrinterButton");
        QTRY_COMPARE(label(w, "printerErrorLabel"), QStringLiteral("1"));
        QTRY_VERIFY(idle(w));
        click(w, "moveCardButton");
        QTRY_COMPARE(
            label(w, "printerResultLabel"),
            QStringLiteral(
                "Move the card: the printer refused: Printer in error state 1 (card jam)"));
        click(w, "clearErrorRetryButton");
        QTRY_COMPARE(label(w, "printerErrorLabel"), QStringLiteral("none"));
        QTRY_VERIFY(idle(w));
        click(w, "refreshPrinterButton");
        QTRY_VERIFY(idle(w));
        QCOMPARE(label(w, "printerErrorLabel"), QStringLiteral("none"));

        // Read-only rows cannot be edited; one write carries both changes, the printer keeps
        // the good one and words its refusal of the other.
        QTableWidget* table = child<QTableWidget>(w, "printerSettingsTable");
        auto row = [table](const QString& key) -> QTableWidgetItem* {
            for (int r = 0; r < table->rowCount(); ++r)
                if (table->item(r, 0)->text() == key)
                    return table->item(r, 1);
            return nullptr;
        };
        QVERIFY(row(QStringLiteral("id-model-name")));
        QVERIFY(!(row(QStringLiteral("id-model-name"))->flags() & Qt::ItemIsEditable));
        row(QStringLiteral("printer-name"))->setText(QStringLiteral("Desk 2"));
        row(QStringLiteral("standby-timeout-minutes"))->setText(QStringLiteral("999"));
        click(w, "writeSettingsButton");
        QTRY_VERIFY(idle(w));
        QCOMPARE(label(w, "printerResultLabel"),
                 QStringLiteral("Write settings: the printer refused: Invalid value '999' for "
                                "'standby-timeout-minutes'"));
        QCOMPARE(row(QStringLiteral("printer-name"))->text(), QStringLiteral("Desk 2"));
        QCOMPARE(row(QStringLiteral("standby-timeout-minutes"))->text(), QStringLiteral("15"));
    }

    // The confirmation names the file and the printer; the printer receives the file unchanged.
    void softwareUpdateArrivesByteForByte() {
        QByteArray image(300 * 1024, '\0');
        for (int i = 0; i < image.size(); ++i)
            image[i] = char(i * 37 + (i >> 9));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("firmware.bin"));
        QVERIFY(kalyxtest::writeFile(path, image));

        kalyxtest::Frame received;
        kalyxtest::LoopbackPeer peer([&received](int fd) {
            received = kalyxtest::LoopbackPeer::recvRequest(fd);
            kalyxtest::LoopbackPeer::sendAll(fd, kalyxtest::answer(""));
        });
        const QString address = QStringLiteral("127.0.0.1:%1").arg(peer.port);
        rememberPrinters(QStringLiteral("tcp:") + address, {address});
        KlxPrnTool w;
        QTRY_VERIFY(idle(w));

        auto choose = ModalAnswer::expect<QFileDialog>([&path](QFileDialog* d) {
            d->selectFile(path);
            static_cast<QDialog*>(d)->done(QDialog::Accepted);
        });
        QString question;
        auto confirm = ModalAnswer::expect<QMessageBox>(
            [&question](QMessageBox* box) {
                question = box->text();
                box->button(QMessageBox::Yes)->click();
            },
            10000);
        click(w, "updateSoftwareButton");
        QVERIFY(choose->fired());
        QTRY_VERIFY(confirm->fired());
        QCOMPARE(question, QStringLiteral("Update the software of %1 from %2?")
                               .arg(address, QDir::toNativeSeparators(path)));
        QTRY_VERIFY(idle(w));
        peer.join();
        QVERIFY(received.complete);
        QVERIFY(received.text.find("<update-software") != std::string::npos);
        QCOMPARE(QByteArray::fromStdString(received.payload), image);
        QCOMPARE(label(w, "printerResultLabel"), QStringLiteral("Update software: done."));
    }

    // A printer that never answers: timers keep firing, Cancel frees the window at once, the
    // page says the exchange timed out, and Quit does not wait for the printer.
    void silentPrinterLeavesTheWindowAnswering() {
        kalyxtest::SimProcess sim({"--fault", "no-answer"});
        QVERIFY(sim.started());
        rememberPrinters(QStringLiteral("tcp:") + simAddress(sim), {simAddress(sim)});
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
        timer.start(50);
        {
            KlxPrnTool w;
            showPrinterPage(w);
            QTRY_VERIFY(!idle(w));
            QTest::qWait(1000);
            // A GUI thread held by the exchange would tick at most once in that second; a busy
            // machine (wine under load) may stretch the 50 ms ticks, so half of them suffice.
            QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
            QVERIFY(child<QPushButton>(w, "cancelPushButton")->isVisible());
            QTRY_VERIFY_WITH_TIMEOUT(
                label(w, "printerResultLabel").contains(QStringLiteral("timed out")), 15000);
            QVERIFY(label(w, "printerResultLabel").contains(simAddress(sim)));

            click(w, "refreshPrinterButton");
            QVERIFY(!idle(w));
            click(w, "cancelPushButton");
            QVERIFY(idle(w));
            QVERIFY(label(w, "statusLabel").contains(QStringLiteral("cancelled")));
            // The abandoned exchange is aborted, not left to its 7 s time-out.
            QTRY_VERIFY_WITH_TIMEOUT(PrinterExchangeRunner::threadsStillRunning() == 0, 2000);

            click(w, "refreshPrinterButton");
            QElapsedTimer quitting;
            quitting.start();
            click(w, "quitPushButton");
            QVERIFY(!w.isVisible());
            QVERIFY(quitting.elapsed() < 1000);
        }
        // The exchange Quit abandoned is aborted too; nothing of it may outlive the test.
        QTRY_VERIFY_WITH_TIMEOUT(PrinterExchangeRunner::threadsStillRunning() == 0, 2000);
    }

    // Cancel gives the connection up at once: the printer sees it closed while the answer's
    // time-out (7 s) still runs.
    void cancelClosesTheConnection() {
        std::atomic<bool> asked{false}, closed{false};
        kalyxtest::LoopbackPeer peer([&](int fd) {
            kalyxtest::LoopbackPeer::recvRequest(fd);
            asked = true;
            kalyxtest::LoopbackPeer::waitForEof(fd);
            closed = true;
        });
        const QString address = QStringLiteral("127.0.0.1:%1").arg(peer.port);
        rememberPrinters(QStringLiteral("tcp:") + address, {address});
        KlxPrnTool w;
        showPrinterPage(w);
        QTRY_VERIFY(asked);
        QVERIFY(!idle(w));
        click(w, "cancelPushButton");
        QVERIFY(idle(w));
        QTRY_VERIFY_WITH_TIMEOUT(closed, 2000);
        peer.join();
    }

    // Another service on the printer's address (a web server) is named as such, not as a
    // printer that did not answer.
    void serviceOnThePrintersPortIsNamed() {
        kalyxtest::LoopbackPeer webServer([](int fd) {
            kalyxtest::LoopbackPeer::recvRequest(fd);
            kalyxtest::LoopbackPeer::sendAll(fd, "HTTP/1.1 400 Bad Request\r\n\r\n");
        });
        const QString address = QStringLiteral("127.0.0.1:%1").arg(webServer.port);
        rememberPrinters(QStringLiteral("tcp:") + address, {address});
        KlxPrnTool w;
        showPrinterPage(w);
        QTRY_VERIFY_WITH_TIMEOUT(!label(w, "printerResultLabel").isEmpty(), 10000);
        QVERIFY2(label(w, "printerResultLabel")
                     .contains(QStringLiteral("does not answer like a Kalyx printer")),
                 qPrintable(label(w, "printerResultLabel")));
        webServer.join();
    }

    // Print to a chosen network printer stores what Save writes; the status line says where it
    // went. A printer that is not there gives the usual box and says which one.
    void printToChosenNetworkPrinter() {
        QTemporaryDir dir(klxSharedFolderTemplate(QStringLiteral("kalyx-window-printers")));
        QVERIFY(dir.isValid());
        const QString jobs = dir.filePath(QStringLiteral("jobs"));
        QVERIFY(QDir().mkpath(jobs));
        const QString jobPath = dir.filePath(QStringLiteral("card.prn"));
        QVERIFY(kalyxtest::writeFile(jobPath, smallJob()));
        kalyxtest::SimProcess sim({"--jobs", klxSimulatorPath(jobs)});
        QVERIFY(sim.started());
        rememberPrinters(QStringLiteral("tcp:") + simAddress(sim), {simAddress(sim)});
        klxSetCommandLine({jobPath});
        KlxPrnTool w;
        QTRY_VERIFY(idle(w));
        const QString saved = dir.filePath(QStringLiteral("saved.prn"));
        QVERIFY(klxSaveAs(w, saved));

        click(w, "printPushButton");
        QCOMPARE(child<QPushButton>(w, "printPushButton")->text(),
                 QStringLiteral("&Print via USB"));
        QCOMPARE(label(w, "statusLabel"), QStringLiteral("Sent %1 bytes to network printer %2.")
                                              .arg(QFileInfo(saved).size())
                                              .arg(simAddress(sim)));
        QTRY_COMPARE(QDir(jobs).entryList({QStringLiteral("*.prn")}).size(), 1);
        const QString stored =
            QDir(jobs).filePath(QDir(jobs).entryList({QStringLiteral("*.prn")}).first());
        QTRY_COMPARE(kalyxtest::readFile(stored), kalyxtest::readFile(saved));

        sim.stop();
        MessageBoxLog boxes;
        click(w, "printPushButton");
        QCOMPARE(boxes.texts(),
                 QStringList{QStringLiteral("Could not open connection to printer.")});
        QCOMPARE(label(w, "statusLabel"),
                 QStringLiteral("Could not reach network printer %1.").arg(simAddress(sim)));
        klxSetCommandLine({});
    }

    // Run by tests/gui/printers_wrapped.sh under kalyxsim --usb and beside a private cupsd; under
    // wine with a device staged here.
    void usbPrinterIsListed() {
#ifdef _WIN32
        const QString serial = QStringLiteral("GU-5");
        wintest::PipePrinter printer(wintest::uniquePipePath("chooser"),
                                     wintest::identity(serial.toStdString()),
                                     wintest::PipePrinter::Reply::Answer, 2);
        wintest::StagedUsbPrinter device("USB\\VID_5E2A&PID_0001\\GU-5", printer.path());
        QVERIFY2(device.ok(), device.problem().c_str());
#else
        const QString serial = qEnvironmentVariable("KALYX_TEST_USB_SERIAL");
        if (serial.isEmpty())
            QSKIP("needs kalyxsim --usb (KALYX_TEST_USB_SERIAL)");
#endif
        rememberPrinters(QStringLiteral("usb-first"), {});
        KlxPrnTool w;
        QTRY_VERIFY(idle(w));
        const QStringList usb = chooserItems(w).filter(QStringLiteral("USB: "));
        QCOMPARE(usb.size(), 1);
        QVERIFY2(usb.first().contains(serial), qPrintable(usb.first()));
    }

    void cupsQueueIsListedAndPrintedTo() {
#ifdef _WIN32
        QSKIP("CUPS queues are Linux's: on Windows the chooser offers USB and network printers");
#endif
        const QString queue = qEnvironmentVariable("KALYX_TEST_QUEUE");
        if (queue.isEmpty())
            QSKIP("needs a private cupsd with a kalyx:// queue (KALYX_TEST_QUEUE)");
        rememberPrinters(QStringLiteral("usb-first"), {});
        QTemporaryDir dir;
        const QString jobPath = dir.filePath(QStringLiteral("card.prn"));
        QVERIFY(kalyxtest::writeFile(jobPath, smallJob()));
        klxSetCommandLine({jobPath});
        KlxPrnTool w;
        QTRY_VERIFY(idle(w));
        QVERIFY2(chooserItems(w).contains(QStringLiteral("CUPS queue: ") + queue),
                 qPrintable(chooserItems(w).join(QLatin1Char('|'))));
        activateItem(w, QStringLiteral("CUPS queue: ") + queue);
        click(w, "printPushButton");
        QVERIFY2(label(w, "statusLabel")
                     .startsWith(QStringLiteral("Sent %1 bytes to CUPS queue %2 as job ")
                                     .arg(smallJob().size())
                                     .arg(queue)),
                 qPrintable(label(w, "statusLabel")));
        klxSetCommandLine({});
    }
};

KLX_WINDOW_TEST_MAIN(tst_WindowPrinters)
#include "tst_window_printers.moc"
