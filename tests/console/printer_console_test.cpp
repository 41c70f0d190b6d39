// `kalyxprn printer` against the simulator: what each command prints, and the exit status that
// tells acceptance (0), refusal (1), usage (2) and a broken exchange (3) apart.
#include "FileBytes.h"
#include "KalyxprnRun.h"
#include "SimProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using kalyxtest::kalyxprn;
using kalyxtest::Result;

namespace {

QString tcpOf(const kalyxtest::SimProcess& sim) {
    return QStringLiteral("127.0.0.1:%1").arg(sim.port());
}

// `printer --tcp SIM args...`
Result on(const kalyxtest::SimProcess& sim, QStringList args) {
    args.prepend(tcpOf(sim));
    args.prepend(QStringLiteral("--tcp"));
    args.prepend(QStringLiteral("printer"));
    return kalyxprn(args);
}

TEST(PrinterConsole, CardMovesPrintWhereTheCardIs) {
    kalyxtest::SimProcess sim;
    ASSERT_TRUE(sim.started());
    Result r = on(sim, {"move", "initialise"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "position: source\n");
    EXPECT_EQ(on(sim, {"move", "to-standby"}).out, "position: standby\n");
    EXPECT_EQ(on(sim, {"move", "to-contact"}).out, "position: encoder-module\n");
    r = on(sim, {"move", "eject"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
}

TEST(PrinterConsole, SettingsAreWrittenReadAndStored) {
    kalyxtest::SimProcess sim;
    ASSERT_TRUE(sim.started());
    Result r = on(sim, {"set", "printer-name=Desk 2", "power-adjust=-7"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "power-adjust=-7\nprinter-name=Desk 2\n");

    r = on(sim, {"get", "--json", "printer-name", "id-model-name"});
    EXPECT_EQ(r.status, 0);
    const QJsonObject values = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(values.size(), 2);
    EXPECT_EQ(values["printer-name"].toString(), "Desk 2");
    EXPECT_EQ(values["id-model-name"].toString(), "Kalyx K2");
    r = on(sim, {"get", "printer-name", "no-such-key"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("no-such-key")) << r.err.toStdString();

    EXPECT_EQ(on(sim, {"save-settings"}).status, 0);
    EXPECT_EQ(on(sim, {"load-settings", "shipped"}).status, 0);
    EXPECT_EQ(on(sim, {"load-settings", "default"}).status, 0);
}

TEST(PrinterConsole, ErrorsAreForcedClearedAndReported) {
    kalyxtest::SimProcess sim;
    ASSERT_TRUE(sim.started());
    QTemporaryDir dir;
    EXPECT_EQ(on(sim, {"force-error", "ribbon-out"}).status, 0);
    const QString report = dir.filePath("report.txt");
    EXPECT_EQ(on(sim, {"report", report}).status, 0);
    EXPECT_TRUE(kalyxtest::readFile(report).contains("Error: 2\n"));
    EXPECT_EQ(on(sim, {"clear-error", "cancel"}).status, 0);
    EXPECT_TRUE(on(sim, {"report", "-"}).out.contains("Error: none\n"));
    // Codes outside the named ones pass through unchanged.
    EXPECT_EQ(on(sim, {"force-error", "-42"}).status, 0);
    EXPECT_TRUE(on(sim, {"report", "-"}).out.contains("Error: -42\n"));
    EXPECT_EQ(on(sim, {"clear-error", "retry-current-print-job"}).status, 0);
    EXPECT_EQ(on(sim, {"power-down", "fast-restart"}).status, 0);
}

TEST(PrinterConsole, FilesGoUpAndComeBackIntact) {
    kalyxtest::SimProcess sim;
    ASSERT_TRUE(sim.started());
    QTemporaryDir dir;
    QByteArray image(70000, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i * 7 + i / 256);
    const QString in = dir.filePath("mark.bin"), out = dir.filePath("preview.bin");
    ASSERT_TRUE(kalyxtest::writeFile(in, image));
    EXPECT_EQ(on(sim, {"glintmark", "3", in}).status, 0);
    EXPECT_EQ(on(sim, {"glintmark-preview", "3", out}).status, 0);
    EXPECT_EQ(kalyxtest::readFile(out), image);

    ASSERT_TRUE(kalyxtest::writeFile(dir.filePath("cap"), QByteArray(1234, 'c')));
    ASSERT_TRUE(kalyxtest::writeFile(dir.filePath("fw"), QByteArray(5 << 20, 's')));
    EXPECT_EQ(on(sim, {"update-capability", dir.filePath("cap")}).status, 0);
    EXPECT_EQ(on(sim, {"update-software", dir.filePath("fw")}).status, 0);
    const QString report = on(sim, {"report", "-"}).out;
    EXPECT_TRUE(report.contains("Capability file: 1234 bytes")) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("Software image: %1 bytes").arg(5 << 20)));

    const Result calibration = on(sim, {"calibrate"});
    EXPECT_EQ(calibration.status, 0);
    EXPECT_TRUE(calibration.out.contains("\nstatus=complete\n")) << calibration.out.toStdString();
}

TEST(PrinterConsole, MagReadShowsIsoTextLrcAndBits) {
    // ";1?" in 5-bit cells, then its LRC cell.
    const std::string bits = "11010100001111110101";
    kalyxtest::SimProcess sim({"--track", "2=" + bits});
    ASSERT_TRUE(sim.started());
    ASSERT_EQ(on(sim, {"move", "to-contact"}).status, 0);
    Result r = on(sim, {"mag-read"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Track 2 data: ;1?\nTrack 2 LRC: 0x15\n")) << r.out.toStdString();
    EXPECT_TRUE(
        r.out.contains(QStringLiteral("Track 2 bits (20): ") + QString::fromStdString(bits)));
    EXPECT_TRUE(r.out.contains("Track 1 data: \n"));

    r = on(sim, {"mag-read", "--json", "--option", "coercivity=low"});
    EXPECT_EQ(r.status, 0);
    const QJsonArray tracks = QJsonDocument::fromJson(r.out.toUtf8()).object()["tracks"].toArray();
    ASSERT_EQ(tracks.size(), 3);
    EXPECT_EQ(tracks[1].toObject()["data"].toString(), ";1?");
    EXPECT_EQ(tracks[1].toObject()["numBits"].toInt(), 20);
    EXPECT_EQ(tracks[0].toObject()["bits"].toString(), "");
}

TEST(PrinterConsole, RefusalsExitOneWithThePrintersText) {
    kalyxtest::SimProcess sim({"--fault", "for=save,error=Settings memory full"});
    ASSERT_TRUE(sim.started());
    Result r = on(sim, {"save-settings"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("Settings memory full")) << r.err.toStdString();

    r = on(sim, {"move", "eject"}); // no card in the printer
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("the printer refused: ")) << r.err.toStdString();
    EXPECT_EQ(r.out, ""); // no position beside a refusal

    QTemporaryDir dir;
    const QString out = dir.filePath("preview.bin");
    r = on(sim, {"glintmark-preview", "2", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(QFile::exists(out)); // nothing written for a refused read

    // A refused write shows the refusal alone, not values that read like an answer.
    for (const char* pair : {"power-adjust=500", "nonsense-key=1"}) {
        r = on(sim, {"set", pair});
        EXPECT_EQ(r.status, 1) << pair;
        EXPECT_EQ(r.out, "") << pair;
        EXPECT_TRUE(r.err.contains("the printer refused: ")) << r.err.toStdString();
    }
}

TEST(PrinterConsole, BrokenExchangesExitThreeAndSayWhy) {
    const std::pair<const char*, const char*> cases[] = {
        {"bad-xml", "the answer is not a well-formed message"},
        {"crc-big-endian", "the answer's checksum is wrong"},
        {"close", "the printer closed the connection"},
        {"text-length=5000", "the answer is larger than allowed"},
        {"binary-size-extra=10", "the answer stalled: it began but did not arrive whole in time"},
    };
    for (const auto& [fault, why] : cases) {
        kalyxtest::SimProcess sim({"--fault", fault});
        ASSERT_TRUE(sim.started());
        const Result r = on(sim, {"get", "printer-name"});
        EXPECT_EQ(r.status, 3) << fault;
        EXPECT_EQ(r.out, "") << fault;
        EXPECT_EQ(r.err, QStringLiteral("kalyxprn printer get: no valid answer from the printer at "
                                        "%1: %2\n")
                             .arg(tcpOf(sim), why))
            << fault;
    }
    // Junk before an answer is not a broken exchange.
    kalyxtest::SimProcess stray({"--fault", "stray-bytes=40"});
    EXPECT_EQ(on(stray, {"get", "printer-name"}).status, 0);
}

TEST(PrinterConsole, UnreachablePrintersExitOne) {
    kalyxtest::SimProcess sim;
    ASSERT_TRUE(sim.started());
    const QString tcp = tcpOf(sim);
    sim.stop();
    Result r = kalyxprn({"printer", "--tcp", tcp, "save-settings"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("cannot connect to " + tcp)) << r.err.toStdString();
    r = kalyxprn({"printer", "--usb", "/nonexistent/lp0", "save-settings"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("/nonexistent/lp0"));
}

TEST(PrinterConsole, UsageErrorsExitTwoBeforeAnythingIsSent) {
    kalyxtest::SimProcess sim;
    ASSERT_TRUE(sim.started());
    const QString tcp = tcpOf(sim);
    const QList<QStringList> wrong = {
        {"printer", "save-settings"},
        {"printer", "--tcp", tcp, "--usb", "/dev/null", "save-settings"},
        {"printer", "--tcp", tcp},
        {"printer", "--tcp", tcp, "dance"},
        {"printer", "--tcp", tcp, "move", "sideways"},
        {"printer", "--tcp", tcp, "move"},
        {"printer", "--tcp", tcp, "force-error", "99999999999"},
        {"printer", "--tcp", tcp, "glintmark", "one", "file"},
        {"printer", "--tcp", tcp, "set", "novalue"},
        {"printer", "--tcp", tcp, "get"},
        {"printer", "--tcp", "127.0.0.1:70000", "save-settings"},
        {"printer", "--tcp", tcp, "mag-read", "--option", "=x"},
    };
    for (const QStringList& args : wrong)
        EXPECT_EQ(kalyxprn(args).status, 2) << args.join(' ').toStdString();
    // No request reached the printer.
    EXPECT_EQ(sim.log().find("bytes in"), std::string::npos) << sim.log();

    const Result help = kalyxprn({"printer", "move", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("eject"));
}

TEST(PrinterConsole, UsbDevicePathReachesThePrinter) {
    kalyxtest::SimProcess sim({"--pty"});
    ASSERT_FALSE(sim.ptyPath().empty());
    const QString pty = QString::fromStdString(sim.ptyPath());
    Result r = kalyxprn({"printer", "--usb", pty, "get", "id-printer-serial"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "id-printer-serial=KX2-000417\n");
    r = kalyxprn({"printer", "--usb", pty, "move", "initialise"});
    EXPECT_EQ(r.out, "position: source\n");
}

// kalyxprn inside the simulator's virtual USB printer (kalyxsim --usb -- kalyxprn ARGS).
Result onVirtualUsb(const QStringList& args) {
    QProcess run;
    run.start(QString::fromLatin1(kalyxtest::simulatorPath()),
              QStringList{"--usb", "--", kalyxtest::kalyxprnPath()} + args);
    Result r;
    if (!run.waitForFinished(60000)) {
        run.kill();
        run.waitForFinished();
        return r;
    }
    r.status = run.exitCode();
    r.out = QString::fromUtf8(run.readAllStandardOutput());
    r.err = QString::fromUtf8(run.readAllStandardError());
    return r;
}

TEST(PrintersCommand, ListsTheAttachedPrinterAndTakesTheFirstWhenNoPathIsGiven) {
    Result r = onVirtualUsb({"printers", "--json"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray list = QJsonDocument::fromJson(r.out.toUtf8()).array();
    ASSERT_EQ(list.size(), 1) << r.out.toStdString();
    EXPECT_EQ(list[0].toObject()["devicePath"].toString(), "/dev/usb/lp0");
    EXPECT_EQ(list[0].toObject()["description"].toString(), "Orvane Kalyx K2 (KX2-000417)");
    // A sub-command's name after --usb is the command, not the device path.
    r = onVirtualUsb({"printer", "--usb", "get", "id-model-name"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "id-model-name=Kalyx K2\n");
}

} // namespace
