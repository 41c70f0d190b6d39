// kalyxprn on fake USB printers: discovery lists the family in device order, and send and
// compose without a device path go to the first printer listed.
#include "Testbed.h"

#include "FakePrinter.h"

#include "FileBytes.h"
#include "KalyxprnRun.h"
#include <kalyxdocument/PrnJobBuilder.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

using kalyxtest::FakePrinter;
using kalyxtest::identity;

bool receivedJob(const FakePrinter& printer) {
    for (const std::string& request : printer.requests())
        if (request.find("<card>") != std::string::npos)
            return true;
    return false;
}

TEST(ConsoleUsb, PrintersAreListedAndTheFirstTakesTheJobs) {
    const int first = unusedDeviceNumber();
    const int second = first + 1, other = first + 2;
    attachUsbDevices({fakeUsbDevice(second, "B-2", "1-3"),
                      fakeUsbDevice(other, "C-3", "1-4", "04b8"),
                      fakeUsbDevice(first, "A-1", "1-2.4")});
    FakePrinter a(printerEnd(first), identity("A-1"));
    FakePrinter b(printerEnd(second), identity("B-2"));
    FakePrinter c(printerEnd(other), identity("C-3"));

    const kalyxtest::Result list = kalyxtest::kalyxprn({"printers", "--json"});
    ASSERT_EQ(list.status, 0) << list.err.toStdString();
    const QJsonArray printers = QJsonDocument::fromJson(list.out.toUtf8()).array();
    ASSERT_EQ(printers.size(), 2) << list.out.toStdString();
    EXPECT_EQ(printers[0].toObject()["description"].toString(), "Kalyx K9 (A-1)");
    EXPECT_EQ(printers[0].toObject()["location"].toString(), "1-2.4");
    EXPECT_EQ(printers[0].toObject()["devicePath"].toString(),
              QStringLiteral("/dev/usb/lp%1").arg(first));
    EXPECT_EQ(printers[1].toObject()["description"].toString(), "Kalyx K9 (B-2)");

    QTemporaryDir dir;
    const QString job = dir.filePath("job.prn");
    ASSERT_TRUE(kalyxtest::writeFile(job, makeSampleJob()));
    kalyxtest::Result r = kalyxtest::kalyxprn({"send", job, "--usb"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("/dev/usb/lp%1").arg(first)));

    QImage picture(64, 40, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(dir.filePath("p.png")));
    r = kalyxtest::kalyxprn({"compose", "--usb", "--front", dir.filePath("p.png")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();

    for (int i = 0; i < 300 && a.requests().size() < 9; ++i)
        QThread::msleep(10);
    // Three discoveries, then the job sent and the job composed, each with the printer's
    // identity and state asked before and after it.
    EXPECT_EQ(a.requests().size(), 9u);
    EXPECT_TRUE(receivedJob(a));
    EXPECT_FALSE(receivedJob(b));
    EXPECT_TRUE(c.requests().empty());
}

TEST(ConsoleUsb, NoPrinterMeansNothingToSendTo) {
    setUsbDevices({});
    QTemporaryDir dir;
    const QString job = dir.filePath("job.prn");
    ASSERT_TRUE(kalyxtest::writeFile(job, makeSampleJob()));
    const kalyxtest::Result r = kalyxtest::kalyxprn({"send", "--usb", job});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("no printer found")) << r.err.toStdString();
    EXPECT_EQ(kalyxtest::kalyxprn({"printers", "--json"}).out, "[]\n");
}

} // namespace
