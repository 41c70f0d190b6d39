// kalyxprn against printers and devices that misbehave: the exit status and the words say what
// happened, within the time-out that governs it, and nothing a printer says reaches the terminal
// raw.
#include "FdIo.h"
#include "FileBytes.h"
#include "FileNameBytes.h"
#include "HostilePeer.h"
#include "KalyxprnRun.h"
#include "SimProcess.h"
#include "Waiting.h"
#include "WireFrame.h"

#include <kalyxdocument/PrnJobBuilder.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <thread>

using kalyxtest::HostilePeer;
using kalyxtest::kalyxprn;
using kalyxtest::Result;
using Fault = HostilePeer::Fault;

namespace {

// Starting the program, on a loaded machine or under the sanitizers, on top of a time-out.
constexpr long long slackMs = 1500;

QString tcpOf(const HostilePeer& peer) {
    return QStringLiteral("127.0.0.1:%1").arg(peer.port());
}

class HostileTargets : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(kalyxtest::writeFile(path("job.prn"), makeSampleJob()));
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
};

// A pseudo-terminal in raw mode standing in for a USB printer; `name` is its device path.
struct PtyPrinter {
    PtyPrinter() {
        char path[128] = {};
        if (::openpty(&master, &slave, path, nullptr, nullptr) != 0)
            return;
        // kalyxprn must not inherit the printer's end: closing it here would not hang up.
        ::fcntl(master, F_SETFD, FD_CLOEXEC);
        ::fcntl(slave, F_SETFD, FD_CLOEXEC);
        termios raw{};
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
        name = QString::fromLocal8Bit(path);
    }
    ~PtyPrinter() {
        for (int fd : {master, slave})
            if (fd >= 0)
                ::close(fd);
    }
    int master = -1;
    int slave = -1;
    QString name;
};

} // namespace

TEST_F(HostileTargets, AJobThePrinterDropsUnreadIsNotReportedAsSent) {
    HostilePeer peer(Fault::CloseUnread, {}, 20, true);
    QImage front(64, 40, QImage::Format_RGB32);
    front.fill(Qt::red);
    ASSERT_TRUE(front.save(path("front.png")));
    for (const QStringList& args :
         {QStringList{"send", path("job.prn"), "--tcp", tcpOf(peer)},
          QStringList{"compose", "--front", path("front.png"), "--tcp", tcpOf(peer)}}) {
        const Result r = kalyxprn(args);
        EXPECT_EQ(r.status, 3) << args.join(' ').toStdString() << "\n" << r.out.toStdString();
        EXPECT_FALSE(r.out.contains("sent")) << r.out.toStdString();
        EXPECT_TRUE(r.err.contains("the printer closed the connection")) << r.err.toStdString();
    }
}

TEST_F(HostileTargets, AJobThePrinterStopsTakingEndsAfterTheTimeOutAndSaysHowFarItGot) {
    HostilePeer peer(Fault::RefuseToRead, {}, 20, true);
    const auto start = kalyxtest::Clock::now();
    const Result r = kalyxprn({"send", path("job.prn"), "--tcp", tcpOf(peer), "--timeout", "300"});
    EXPECT_LT(kalyxtest::msSince(start), 300 + slackMs);
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.err.contains("the printer did not take the data within 300 ms"))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral(" of %1 bytes.").arg(makeSampleJob().size())))
        << r.err.toStdString();
}

TEST_F(HostileTargets, APrinterThatIsSlowButTakingIsNotGivenUp) {
    // It takes 64 KiB every second, steadily: far slower than the job arrives, but never quiet
    // for the 1 s limit. (Slower rates fail the same way without steady acknowledgements, only
    // later; this one fails after 8 s without them and succeeds in 10 s with them.)
    const QString jobs = path("jobs");
    ASSERT_TRUE(QDir().mkpath(jobs));
    kalyxtest::SimProcess sim({"--read-rate", "65536", "--jobs", jobs.toStdString()});
    ASSERT_TRUE(sim.started());
    PrnJobBuilder builder;
    builder.addPanel(builder.addSide(0), 'k', QByteArray(650346, '\x55'));
    const QByteArray job = builder.build();
    ASSERT_TRUE(kalyxtest::writeFile(path("slow.prn"), job));
    const auto start = kalyxtest::Clock::now();
    const Result r =
        kalyxprn({"send", path("slow.prn"), "--tcp", QStringLiteral("127.0.0.1:%1").arg(sim.port()),
                  "--timeout", "1000"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    std::printf("[ figures  ] %d bytes to a printer taking 65536 B/s: %lld ms\n", int(job.size()),
                kalyxtest::msSince(start));
    ASSERT_TRUE(kalyxtest::waitUntil([&] { return QFile::exists(jobs + "/job-0001.prn"); }, 5000));
    EXPECT_EQ(kalyxtest::readFile(jobs + "/job-0001.prn"), job);
}

TEST_F(HostileTargets, APeerThatIsNoPrinterGetsNoJobAndNoSettingIsReadFromIt) {
    // It echoes every request: well framed, with a good checksum, but no printer's answer.
    HostilePeer peer(Fault::Echo);
    QImage front(64, 40, QImage::Format_RGB32);
    front.fill(Qt::blue);
    ASSERT_TRUE(front.save(path("front.png")));
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{"send", path("job.prn"), "--tcp", tcpOf(peer)}, "does not answer like a Kalyx printer"},
        {{"compose", "--front", path("front.png"), "--tcp", tcpOf(peer)},
         "does not answer like a Kalyx printer"},
        {{"printer", "--tcp", tcpOf(peer), "get", "id-model-name"}, "holds no printer identity"},
    };
    for (const auto& c : cases) {
        const Result r = kalyxprn(c.args);
        EXPECT_EQ(r.status, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
    // The jobs never went out: only the small identity requests were echoed.
    EXPECT_LT(peer.received(), 4096u);
}

#ifdef KALYX_BACKEND_PATH
// The CUPS backend's exit statuses: stop the queue, and try the job again later.
constexpr int backendStop = 4;
constexpr int backendRetry = 6;

// The CUPS backend run on `job` for the printer at `uri`, as the scheduler runs it.
Result runBackend(const QString& uri, const QString& job) {
    QProcess backend;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DEVICE_URI"), uri);
    environment.remove(QStringLiteral("CLASS"));
    backend.setProcessEnvironment(environment);
    backend.start(QStringLiteral(KALYX_BACKEND_PATH), {"1", "user", "title", "1", "", job});
    Result r;
    if (!backend.waitForFinished(30000) || backend.exitStatus() != QProcess::NormalExit) {
        backend.kill();
        backend.waitForFinished(5000);
        return r;
    }
    r.status = backend.exitCode();
    r.err = QString::fromUtf8(backend.readAllStandardError());
    return r;
}

TEST_F(HostileTargets, AServiceOnThePrintersPortGetsNoJobAndNoRetryButAPrinterThatDropsDoes) {
    QImage front(64, 40, QImage::Format_RGB32);
    front.fill(Qt::blue);
    ASSERT_TRUE(front.save(path("front.png")));
    const struct {
        Fault fault;
        bool printer;     // a printer that went away (retry), or another service (check the URI)
        bool viaKalyxprn; // also through kalyxprn (each greeting costs the 7 s answer time-out)
    } peers[] = {
        {Fault::WebServer, false, true},
        {Fault::Greeting, false, false},
        {Fault::Reset, true, true},
        {Fault::CloseMidFrame, true, false},
    };
    for (const auto& p : peers) {
        HostilePeer peer(p.fault);
        const QString uri = QStringLiteral("kalyx://tcp/") + tcpOf(peer);
        const Result backend = runBackend(uri, path("job.prn"));
        EXPECT_EQ(backend.status, p.printer ? backendRetry : backendStop)
            << int(p.fault) << "\n"
            << backend.err.toStdString();
        EXPECT_EQ(backend.err.contains("check the queue's device URI"), !p.printer)
            << backend.err.toStdString();
        EXPECT_FALSE(backend.err.contains("PAGE:")) << backend.err.toStdString();
        if (!p.viaKalyxprn)
            continue;
        for (const QStringList& args :
             {QStringList{"send", path("job.prn"), "--tcp", tcpOf(peer)},
              QStringList{"compose", "--front", path("front.png"), "--tcp", tcpOf(peer)},
              QStringList{"printer", "--tcp", tcpOf(peer), "get", "printer-name"}}) {
            const Result r = kalyxprn(args);
            EXPECT_EQ(r.status, p.printer ? 3 : 1) << args.join(' ').toStdString();
            EXPECT_EQ(r.err.contains("does not answer like a Kalyx printer (what it sent is no "
                                     "printer's answer); check the address"),
                      !p.printer)
                << r.err.toStdString();
        }
    }
}
#endif

TEST_F(HostileTargets, AnAnswerThatTricklesStallsWithinTheChosenTimeOut) {
    HostilePeer peer(Fault::Trickle);
    const auto start = kalyxtest::Clock::now();
    const Result r =
        kalyxprn({"printer", "--tcp", tcpOf(peer), "--timeout", "300", "get", "printer-name"});
    EXPECT_LT(kalyxtest::msSince(start), 300 + slackMs);
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.err.contains("the answer stalled")) << r.err.toStdString();
    EXPECT_EQ(kalyxprn({"printer", "--tcp", tcpOf(peer), "--timeout", "0", "save-settings"}).status,
              2);
}

TEST_F(HostileTargets, APrinterThatNeverAnswersCostsTheDefaultTimeOutOnce) {
    HostilePeer peer(Fault::Silent);
    const auto start = kalyxtest::Clock::now();
    const Result r = kalyxprn({"printer", "--tcp", tcpOf(peer), "get", "printer-name"});
    const long long ms = kalyxtest::msSince(start);
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.err.contains("the printer did not answer within 7 s")) << r.err.toStdString();
    EXPECT_GE(ms, 7000);
    EXPECT_LT(ms, 7000 + slackMs);
    std::printf("[ figures  ] kalyxprn, a printer that never answers: %lld ms against 7000 ms\n",
                ms);
}

TEST_F(HostileTargets, TextsFromAPrinterAreEscapedOnTheTerminal) {
    const std::string hostile = "\x1b[2J\x1b]0;owned\x07\rkalyxprn: printer accepted the command\n";
    HostilePeer refusing(Fault::Scripted,
                         kalyxtest::answer("<save-response/><error>" + hostile + "</error>"));
    Result r = kalyxprn({"printer", "--tcp", tcpOf(refusing), "save-settings"});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.contains(QChar(0x1b)) || r.err.contains(QChar('\r')));
    // (The XML reader turns the carriage return into a line feed.)
    EXPECT_TRUE(r.err.contains("\\x1b[2J\\x1b]0;owned\\x07\\x0akalyxprn: printer accepted the "
                               "command\\x0a"))
        << r.err.toStdString();
    EXPECT_EQ(r.err.count(QChar('\n')), 1); // no line of its own

    HostilePeer settings(Fault::Scripted,
                         kalyxtest::answer("<get-response><param id=\"printer-name\">" + hostile +
                                           "</param></get-response>"));
    r = kalyxprn({"printer", "--tcp", tcpOf(settings), "get", "printer-name"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.count(QChar('\n')), 1);
    EXPECT_TRUE(r.out.startsWith("printer-name=\\x1b[2J")) << r.out.toStdString();
    // JSON keeps the text exactly, escaped its own way.
    r = kalyxprn({"printer", "--tcp", tcpOf(settings), "get", "--json", "printer-name"});
    EXPECT_TRUE(r.out.contains("\\u001b[2J")) << r.out.toStdString();

    // Texts inside a job too.
    ASSERT_EQ(kalyxprn({"set", path("job.prn"), "x-name", "/prn/card",
                        QString::fromStdString(hostile), "-o", path("named.prn")})
                  .status,
              0);
    r = kalyxprn({"get", path("named.prn"), "/prn/card/x-name"});
    EXPECT_EQ(r.out.count(QChar('\n')), 1);
    EXPECT_FALSE(r.out.contains(QChar(0x1b)));
}

TEST_F(HostileTargets, AUsbDeviceInUseIsBusyAndOneThatIsGoneSaysSo) {
    QString gone;
    {
        PtyPrinter pty;
        ASSERT_FALSE(pty.name.isEmpty());
        gone = pty.name;
        // Another program sending to the same device holds its lock for as long as it sends.
        const int other = ::open(pty.name.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
        const Result r = kalyxprn({"send", path("job.prn"), "--usb", pty.name});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.contains("busy: another program is using it")) << r.err.toStdString();
        EXPECT_EQ(kalyxtest::drain(pty.master, 100), ""); // nothing interleaved
        ::close(other);
    }
    // Its other end closed, the terminal standing in for the printer is gone.
    Result r = kalyxprn({"printer", "--usb", gone, "save-settings"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("no such device")) << r.err.toStdString();

    // A printer that goes away in the middle of an exchange.
    PtyPrinter pty;
    std::thread unplug([&] {
        kalyxtest::Frame request;
        kalyxtest::readFrame(pty.master, request, 10000);
        ::close(pty.master);
        pty.master = -1;
    });
    r = kalyxprn({"printer", "--usb", pty.name, "save-settings"});
    unplug.join();
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.err.contains("the printer's device went away")) << r.err.toStdString();
}

TEST_F(HostileTargets, InputsThatCouldBlockAreReadOrRefusedInTime) {
    const QByteArray job = makeSampleJob();
    // A file whose size the system does not report is judged by what it holds.
    Result r = kalyxprn({"check", "/proc/self/status"});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.out.contains("too large")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("No NUL byte")) << r.out.toStdString();

    // Standard input.
    kalyxtest::RunOptions stdinJob;
    stdinJob.input = job;
    for (const char* command : {"check", "info", "mag"})
        EXPECT_EQ(kalyxprn({command, "-"}, stdinJob).status, 0) << command;
    EXPECT_EQ(kalyxprn({"render", "-", "--side", "0", "-o", path("f.png")}, stdinJob).status, 0);
    EXPECT_EQ(QImage(path("f.png")).width(), 1013);

    // A named pipe with a writer is read; one nobody writes to gives up after 7 s.
    const QByteArray fifo = path("pipe").toLocal8Bit();
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    std::thread writer([&] {
        const int fd = ::open(fifo.constData(), O_WRONLY);
        kalyxtest::writeAll(fd, job.toStdString());
        ::close(fd);
    });
    r = kalyxprn({"check", path("pipe")});
    writer.join();
    EXPECT_TRUE(r.out.startsWith(path("pipe") + ": valid")) << r.out.toStdString();
    const auto start = kalyxtest::Clock::now();
    r = kalyxprn({"check", path("pipe")});
    EXPECT_LT(kalyxtest::msSince(start), 7000 + slackMs);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains("nothing arrived for 7 s")) << r.out.toStdString();

    // What is read is decided on the file opened: a terminal nobody types on is waited for as
    // long as a silent pipe, not for ever.
    PtyPrinter silent;
    const auto opened = kalyxtest::Clock::now();
    r = kalyxprn({"check", silent.name});
    EXPECT_LT(kalyxtest::msSince(opened), 7000 + slackMs);
    EXPECT_TRUE(r.out.contains("nothing arrived for 7 s")) << r.out.toStdString();
}

TEST_F(HostileTargets, SavingNeverReplacesADeviceAndKeepsWhatItReplaces) {
    const QByteArray fifo = path("pipe").toLocal8Bit();
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    ASSERT_EQ(::symlink(fifo.constData(), path("link").toLocal8Bit().constData()), 0);
    QImage front(64, 40, QImage::Format_RGB32);
    front.fill(Qt::blue);
    ASSERT_TRUE(front.save(path("front.png")));
    QStringList targets{path("pipe"), path("link")};
    if (::geteuid() == 0 &&
        ::mknod(path("null").toLocal8Bit().constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        targets << path("null"); // a copy of /dev/null
    for (const QString& target : targets) {
        for (const QStringList& args :
             {QStringList{"save", path("job.prn"), "-o", target},
              QStringList{"set", path("job.prn"), "x-name", "/prn/card", "v", "-o", target}}) {
            const Result r = kalyxprn(args);
            EXPECT_EQ(r.status, 1) << args.join(' ').toStdString();
            EXPECT_TRUE(r.err.contains("Couldn't save PRN. Not a regular file"))
                << r.err.toStdString();
        }
        const Result r = kalyxprn({"compose", "--front", path("front.png"), "-o", target});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.contains(": Not a regular file")) << r.err.toStdString();
        struct stat info {};
        ASSERT_EQ(::stat(target.toLocal8Bit().constData(), &info), 0);
        EXPECT_FALSE(S_ISREG(info.st_mode)) << target.toStdString();
    }
    // A preview picture named like one, linked to the pipe.
    ASSERT_EQ(::symlink(fifo.constData(), path("pipe.png").toLocal8Bit().constData()), 0);
    const Result preview =
        kalyxprn({"compose", "--front", path("front.png"), "--preview", path("pipe.png")});
    EXPECT_EQ(preview.status, 1);
    EXPECT_TRUE(preview.err.contains(": Not a regular file")) << preview.err.toStdString();

    // A full disk: the old file stays whole and the system's reason is given.
    const QByteArray before = kalyxtest::readFile(path("job.prn"));
    kalyxtest::RunOptions fullDisk;
    fullDisk.fileSizeLimit = 4096;
    Result r = kalyxprn({"save", path("job.prn"), "-o", path("job.prn")}, fullDisk);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.endsWith("Couldn't save PRN. File too large\n")) << r.err.toStdString();
    EXPECT_EQ(kalyxtest::readFile(path("job.prn")), before);
    ASSERT_EQ(kalyxprn({"render", path("job.prn"), "--side", "0", "-o", path("f.png")}).status, 0);
    const QByteArray picture = kalyxtest::readFile(path("f.png"));
    r = kalyxprn({"render", path("job.prn"), "--side", "1", "-o", path("f.png")}, fullDisk);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("File too large")) << r.err.toStdString();
    EXPECT_EQ(kalyxtest::readFile(path("f.png")), picture);

    // Saving over a file keeps its mode, and its owner and group where we may set them.
    ASSERT_EQ(::chmod(path("job.prn").toLocal8Bit().constData(), 0640), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path("job.prn").toLocal8Bit().constData(), 65534, 65534), 0);
    }
    ASSERT_EQ(kalyxprn({"save", path("job.prn"), "-o", path("job.prn")}).status, 0);
    struct stat info {};
    ASSERT_EQ(::stat(path("job.prn").toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
    }
}

TEST_F(HostileTargets, FileNamesAreTheSystemsBytes) {
    cli::keepFileNameBytes(); // so that this test's names reach kalyxprn as the bytes below
    const QByteArray job = kalyxtest::readFile(path("job.prn"));
    // A lone 0xff, a truncated sequence, an overlong '/', an encoded surrogate.
    for (const QByteArray& raw : {QByteArray("out-\xff.prn"), QByteArray("\xc3(.prn"),
                                  QByteArray("\xc0\xaf.prn"), QByteArray("\xed\xb3\xbf.prn")}) {
        const QString name = dir.path() + "/" + QString::fromLocal8Bit(raw);
        const QByteArray bytes = QFile::encodeName(dir.path()) + '/' + raw;
        // The name that a lossy decoding would write instead.
        const QString replaced = dir.path() + "/" + QString::fromUtf8(raw);
        ASSERT_TRUE(kalyxtest::writeFile(replaced, "unrelated"));
        ASSERT_EQ(kalyxprn({"save", path("job.prn"), "-o", name}).status, 0) << raw.toHex().data();
        EXPECT_EQ(kalyxtest::readFile(QFile::decodeName(bytes)), job);
        EXPECT_EQ(kalyxtest::readFile(replaced), "unrelated");
        const Result check = kalyxprn({"check", name});
        EXPECT_EQ(check.status, 0) << check.out.toStdString();
        ASSERT_EQ(kalyxprn({"render", name, "--side", "0", "-o", name + ".png"}).status, 0);
        EXPECT_TRUE(QFile::exists(QFile::decodeName(bytes + ".png")));
        ASSERT_EQ(kalyxprn({"send", name, "--file", name + ".sent"}).status, 0);
        EXPECT_EQ(kalyxtest::readFile(QFile::decodeName(bytes + ".sent")), job);
        ASSERT_TRUE(QFile::remove(replaced));
    }
}

TEST_F(HostileTargets, StandardOutputIsADashAndItsWriteErrorsFail) {
    // "-" is standard output wherever a file is written; no file of that name appears.
    kalyxtest::RunOptions here;
    here.workingDirectory = dir.path();
    here.outputFile = path("stdout");
    const QByteArray job = kalyxtest::readFile(path("job.prn"));
    for (const QStringList& args :
         {QStringList{"sample", "-o", "-"}, QStringList{"save", path("job.prn"), "-o", "-"},
          QStringList{"set", path("job.prn"), "num-copies", "/prn/card/card-options", "10", "-o",
                      "-"}}) {
        ASSERT_EQ(kalyxprn(args, here).status, 0) << args.join(' ').toStdString();
        const QByteArray written = kalyxtest::readFile(path("stdout"));
        EXPECT_TRUE(written.startsWith("<?xml")) << args.join(' ').toStdString();
        EXPECT_EQ(written.size() - job.size(), args[0] == "set" ? 1 : 0);
        EXPECT_FALSE(QFile::exists(path("-")));
    }
    QImage front(64, 40, QImage::Format_RGB32);
    front.fill(Qt::blue);
    ASSERT_TRUE(front.save(path("front.png")));
    for (const QStringList& args :
         {QStringList{"render", path("job.prn"), "--side", "0", "-o", "-"},
          QStringList{"compose", "--front", path("front.png"), "--preview", "-"}}) {
        ASSERT_EQ(kalyxprn(args, here).status, 0) << args.join(' ').toStdString();
        QImage rendered;
        EXPECT_TRUE(rendered.loadFromData(kalyxtest::readFile(path("stdout")), "PNG"));
        EXPECT_EQ(rendered.width(), 1013);
        EXPECT_FALSE(QFile::exists(path("-")));
    }

    // Output that cannot be written: exit 1 with the system's reason.
    kalyxtest::RunOptions full;
    full.outputFile = QStringLiteral("/dev/full");
    for (const QStringList& args :
         {QStringList{"info", path("job.prn")}, QStringList{"check", "--json", path("job.prn")},
          QStringList{"sample", "-o", "-"}}) {
        const Result r = kalyxprn(args, full);
        EXPECT_EQ(r.status, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("No space left on device")) << r.err.toStdString();
    }
}

TEST_F(HostileTargets, ALinkSwappedDuringASaveNeverReplacesWhatItCameToPointAt) {
    const QByteArray pipe = path("pipe").toLocal8Bit(), file = path("file").toLocal8Bit();
    const QByteArray target = path("target").toLocal8Bit();
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    ASSERT_TRUE(kalyxtest::writeFile(path("file"), "old"));
    PrnJobBuilder small; // quick to save, so that many saves meet the swaps
    small.addPanel(small.addSide(0), 'k', QByteArray(650346, '\0'));
    ASSERT_TRUE(kalyxtest::writeFile(path("small.prn"), small.build()));
    std::atomic<bool> stop{false};
    // The link points at the file, then at the pipe, then at the file again, as fast as it can.
    std::thread swapper([&] {
        const QByteArray next = path("next").toLocal8Bit();
        for (int i = 0; !stop; ++i) {
            ::unlink(next.constData());
            if (::symlink((i % 2 ? pipe : file).constData(), next.constData()) == 0)
                ::rename(next.constData(), target.constData());
        }
    });
    for (int run = 0; run < 80; ++run) {
        const Result r = kalyxprn({"save", path("small.prn"), "-o", path("target")});
        EXPECT_TRUE(r.status == 0 || r.err.contains("Not a regular file")) << r.err.toStdString();
    }
    stop = true;
    swapper.join();
    struct stat info {};
    ASSERT_EQ(::lstat(pipe.constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}
