// `kalyxprn send`: the job file reaches a file, a network printer or a USB device path byte for
// byte, only after it validated.
#include "FileBytes.h"
#include "KalyxprnRun.h"
#include "SimProcess.h"

#include <kalyxdocument/PrnJobBuilder.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using kalyxtest::kalyxprn;
using kalyxtest::Result;

namespace {

class SendCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        job = makeSampleJob();
        ASSERT_TRUE(kalyxtest::writeFile(path("job.prn"), job));
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    // Two sides of double-density planes make a job of several MiB.
    static QByteArray largeJob() {
        PrnJobBuilder builder;
        for (int s = 0; s < 2; ++s) {
            const pugi::xml_node side = builder.addSide(s);
            for (char p : {'y', 'm', 'c', 'k'})
                builder.addPanel(side, p, QByteArray(p == 'k' ? 2 * 650346 : 650346, char(s + p)),
                                 p == 'k' ? 600 : 0);
        }
        return builder.build();
    }

    QTemporaryDir dir;
    QByteArray job;
};

TEST_F(SendCommand, FileTargetGetsTheJobUnchanged) {
    const Result r = kalyxprn({"send", path("job.prn"), "--file", path("out.prn")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(kalyxtest::readFile(path("out.prn")), job);
}

TEST_F(SendCommand, PrintersOverTcpAndUsbStoreTheSameBytes) {
    const QString jobs = path("jobs");
    QDir().mkpath(jobs);
    kalyxtest::SimProcess sim({"--pty", "--jobs", jobs.toStdString()});
    ASSERT_TRUE(sim.started());
    ASSERT_FALSE(sim.ptyPath().empty());

    Result r = kalyxprn(
        {"send", path("job.prn"), "--tcp", QStringLiteral("127.0.0.1:%1").arg(sim.port())});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(kalyxtest::waitForFile(jobs + "/job-0001.prn", job.size()), job);

    // The device path may come before or after the job file.
    const QString pty = QString::fromStdString(sim.ptyPath());
    r = kalyxprn({"send", "--usb", pty, path("job.prn")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(kalyxtest::waitForFile(jobs + "/job-0002.prn", job.size()), job);
    r = kalyxprn({"send", path("job.prn"), "--usb", pty});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(kalyxtest::waitForFile(jobs + "/job-0003.prn", job.size()), job);
}

TEST_F(SendCommand, SaysWhatWasConfirmedAndAsksThePrinterBeforeAndAfter) {
    // One card in the hopper: the first job prints, the second stops the printer for want of
    // cards (printers answer no job: only asking after it tells), the third is not sent.
    kalyxtest::SimProcess sim({"--hopper", "1"});
    ASSERT_TRUE(sim.started());
    const QString address = QStringLiteral("127.0.0.1:%1").arg(sim.port());
    Result r = kalyxprn({"send", path("job.prn"), "--tcp", address});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(
        r.out.startsWith(QStringLiteral("sent %1 bytes to %2\n").arg(job.size()).arg(address)))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("not confirmed: that a card printed")) << r.out.toStdString();
    const QString look = QStringLiteral("kalyxprn printer --tcp %1 report -").arg(address);
    EXPECT_TRUE(r.out.contains(look)) << r.out.toStdString();

    r = kalyxprn({"send", path("job.prn"), "--tcp", address});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("reports after the job: Printer in error state 3 (feeder empty); "
                               "the card may not have printed"))
        << r.err.toStdString();
    EXPECT_FALSE(r.out.contains("sent")) << r.out.toStdString();

    r = kalyxprn({"send", path("job.prn"), "--tcp", address});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("reports: Printer in error state 3 (feeder empty); the job was "
                               "not sent"))
        << r.err.toStdString();
    const Result report = kalyxprn(look.split(' ').mid(1));
    EXPECT_TRUE(report.out.contains("Error: 3\n")) << report.out.toStdString();
    // Two jobs reached it; the third was kept back.
    const std::string log = sim.log();
    std::size_t jobs = 0;
    for (std::size_t at = log.find(" print-job "); at != std::string::npos;
         at = log.find(" print-job ", at + 1))
        ++jobs;
    EXPECT_EQ(jobs, 2u) << log;
    EXPECT_TRUE(kalyxprn({"send", "--help"}).out.contains("not that a card printed"));
}

TEST_F(SendCommand, InvalidJobsAreNotSent) {
    // Well framed, checksum right, but 100 plane bytes short.
    const int nul = job.indexOf('\0');
    const QByteArray binary = job.mid(nul + 1, job.size() - nul - 5);
    ASSERT_TRUE(kalyxtest::writeFile(path("short.prn"),
                                     PrnJobBuilder::frame(job.left(nul), binary.chopped(100))));
    for (const char* file : {"short.prn", "absent.prn"}) {
        const Result r = kalyxprn({"send", path(file), "--file", path("out.prn")});
        EXPECT_EQ(r.status, 1) << file;
        EXPECT_TRUE(r.err.contains("invalid")) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(path("out.prn"))) << file;
    }
}

TEST_F(SendCommand, JobsPrintersDropAreRefusedUnlessForced) {
    QByteArray damaged = job;
    damaged[damaged.size() - 1] = char(damaged[damaged.size() - 1] ^ 0x5A);
    ASSERT_TRUE(kalyxtest::writeFile(path("damaged.prn"), damaged));
    // A header text over 1 MiB: a comment keeps the job itself valid.
    const int nul = job.indexOf('\0');
    const QByteArray bulky = job.left(nul) + "<!--" + QByteArray(1 << 20, 'x') + "-->";
    ASSERT_TRUE(kalyxtest::writeFile(path("bulky.prn"),
                                     PrnJobBuilder::frame(bulky, job.mid(nul + 1).chopped(4))));
    for (const char* file : {"damaged.prn", "bulky.prn"}) {
        const Result r = kalyxprn({"send", path(file), "--file", path("out.prn")});
        EXPECT_EQ(r.status, 1) << file;
        EXPECT_TRUE(r.err.contains(": invalid for printing: ")) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(path("out.prn")));
    }
    const Result r = kalyxprn({"send", path("damaged.prn"), "--force", "--file", path("out.prn")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.contains("warning: The file has invalid checksum")) << r.err.toStdString();
    // As the window's Print: the job as loaded, with a fresh checksum.
    EXPECT_EQ(kalyxtest::readFile(path("out.prn")), job);
}

TEST_F(SendCommand, LargeJobsShowProgressOnATerminalOnly) {
    const QByteArray large = largeJob();
    ASSERT_GT(large.size(), 1 << 20);
    ASSERT_TRUE(kalyxtest::writeFile(path("large.prn"), large));

    QByteArray terminal;
    const Result r = kalyxtest::kalyxprnOnTerminal(
        {"send", path("large.prn"), "--file", path("out.prn")}, terminal);
    EXPECT_EQ(r.status, 0) << terminal.toStdString();
    EXPECT_TRUE(terminal.contains("100%")) << terminal.toStdString();
    EXPECT_EQ(kalyxtest::readFile(path("out.prn")), large);

    const Result plain = kalyxprn({"send", path("large.prn"), "--file", path("plain.prn")});
    EXPECT_EQ(plain.err, "");
    EXPECT_EQ(kalyxtest::readFile(path("plain.prn")), large);
}

TEST_F(SendCommand, AJobThatCannotBeWrittenSaysWhy) {
    const Result r = kalyxprn({"send", path("job.prn"), "--file", "/dev/full"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "kalyxprn send: Failed to send job to printer (/dev/full): sending to the "
                     "printer failed.\n");
}

TEST_F(SendCommand, AFifoThatIsNotReadEndsTheSendWithinItsTimeout) {
    ASSERT_TRUE(kalyxtest::writeFile(path("large.prn"), largeJob()));
    for (const bool opened : {false, true}) {
        SCOPED_TRACE(opened ? "a reader that never reads" : "no reader");
        const QByteArray fifo = QFile::encodeName(path(opened ? "read.fifo" : "unread.fifo"));
        ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
        const int reader = opened ? ::open(fifo.constData(), O_RDONLY | O_NONBLOCK) : -1;
        ASSERT_EQ(reader >= 0, opened);
        const Result r = kalyxprn(
            {"send", path("large.prn"), "--file", QFile::decodeName(fifo), "--timeout", "1000"});
        EXPECT_EQ(r.status, 3) << r.err.toStdString();
        EXPECT_EQ(r.err, QStringLiteral("kalyxprn send: Failed to send job to printer (%1): "
                                        "nothing read the data within 1 s.\n")
                             .arg(QFile::decodeName(fifo)));
        if (reader >= 0)
            ::close(reader);
    }
}

TEST_F(SendCommand, TargetMustBeOneOfUsbTcpFile) {
    EXPECT_EQ(kalyxprn({"send", path("job.prn")}).status, 2);
    EXPECT_EQ(kalyxprn({"send", path("job.prn"), "--file", path("a"), "--tcp", "127.0.0.1"}).status,
              2);
    EXPECT_EQ(kalyxprn({"send", "--file", path("a")}).status, 2);
    EXPECT_EQ(kalyxprn({"send", path("job.prn"), "--tcp", "127.0.0.1:0"}).status, 2);
    EXPECT_EQ(kalyxprn({"send", path("job.prn"), "--file", path("no/such/dir/out.prn")}).status, 1);
}

} // namespace
