// Print via USB driven through the window, against fake USB printers on umockdev device nodes.
// GLib's headers (through Testbed.h) must come before Qt's.
#include "Testbed.h"

#include "FakePrinter.h"
#include "Waiting.h"

#include "KlxPrnTool.h"
#include "WindowTestSupport.h"

#include <kalyxcomms/Comms.h>
#include <kalyxcomms/Printer.h>
#include <kalyxcomms/Session.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWindow>
// Qt's platform plugins hand it user input through this interface, queued for the next round
// of event processing, as a real click arrives.
#include <qpa/qwindowsysteminterface.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

using namespace std::chrono;
using kalyxtest::FakePrinter;
using kalyxtest::identity;
using kalyxtest::waitUntil;

// Queues a click on `widget` as if the user had made it.
void queueClick(QWidget* widget) {
    QWidget* top = widget->window();
    const QPointF local = widget->mapTo(top, widget->rect().center());
    const QPointF global = top->mapToGlobal(local.toPoint());
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
            top->windowHandle(), local, global,
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::LeftButton, type,
            Qt::NoModifier, Qt::MouseEventNotSynthesized);
}

// One QApplication for the whole run, with a settings store of its own.
class QtApplication : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // Before the first QSettings: the path is cached on first use.
        QStandardPaths::setTestModeEnabled(true);
        settingsDir = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir->path());
        app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override {
        app.reset();
        settingsDir.reset();
    }

private:
    int argc = 1;
    char name[16] = "kalyxprntool";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QTemporaryDir> settingsDir;
    std::unique_ptr<QApplication> app;
};

::testing::Environment* const qtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplication);

// A card of 506 x 128 dots: three planes of 63 KiB, more than the device node buffers, so a
// printer has to keep reading for the job to get through.
constexpr int cardWidth = 506;
constexpr int cardHeight = 128;

QByteArray makeJob() {
    const QByteArray card =
        "<card-options><num-copies>1</num-copies><width>506</width><height>128</height>"
        "</card-options><side-options side=\"0\">"
        "<panel-options panel=\"y\"><power-adjust>7</power-adjust></panel-options>"
        "<panel-options panel=\"c\"/><panel-options panel=\"k\"/></side-options>";
    QByteArray binary;
    for (int plane = 0; plane < 3; ++plane)
        binary += klxPlane(cardWidth, cardHeight, [plane](int x, int y) {
            return static_cast<unsigned char>(x * 7 + y * 13 + plane * 50);
        });
    return klxJob(klxHeader(card, binary.size()), binary);
}

std::string nodePath(int number) {
    return "/dev/usb/lp" + std::to_string(number);
}

// Writes to the device node as a print does, except that a write the printer does not take
// gives up after `limitMs` instead of the time-out the caller asks for (which it records).
class ShortWaitSession : public Orvane::Session {
public:
    ShortWaitSession(const std::string& path, int limitMs, std::vector<std::uint32_t>& asked)
        : fd(::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)), limitMs(limitMs),
          asked(asked) {
        open = fd >= 0;
    }
    ~ShortWaitSession() override {
        if (fd >= 0)
            ::close(fd);
    }

    bool read(char*, int) override { return false; }
    bool write(const char* data, int length) override {
        const auto deadline = steady_clock::now() + milliseconds(limitMs);
        int done = 0;
        while (done < length) {
            const ssize_t n = ::write(fd, data + done, static_cast<std::size_t>(length - done));
            if (n > 0) {
                done += static_cast<int>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
            if (left <= 0)
                return false;
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, static_cast<int>(left)) > 0 &&
                (p.revents & (POLLERR | POLLHUP | POLLNVAL)))
                return false;
        }
        return true;
    }
    bool setReadTimeout(std::uint32_t) override { return true; }
    bool setWriteTimeout(std::uint32_t milliseconds) override {
        asked.push_back(milliseconds);
        return true;
    }

private:
    const int fd;
    const int limitMs;
    std::vector<std::uint32_t>& asked;
};

// The texts the print button is painted with.
class PaintLog : public QObject {
public:
    explicit PaintLog(QPushButton* button) : button(button) { button->installEventFilter(this); }
    ~PaintLog() override { button->removeEventFilter(this); }
    QStringList texts;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            texts << button->text();
        return false;
    }

private:
    QPushButton* button;
};

// An error box as it was while on screen, with the print button's state at that moment.
struct BoxSeen {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool parented = false;
    QString buttonText;
    bool buttonEnabled = true;
};

class WindowPrint : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        job = makeJob();
        jobPath = dir.filePath(QStringLiteral("job.prn"));
        ASSERT_TRUE(kalyxtest::writeFile(jobPath, job));

        window = std::make_unique<KlxPrnTool>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        printButton = window->findChild<QPushButton*>(QStringLiteral("printPushButton"));
        ASSERT_TRUE(printButton);

        auto answer = ModalAnswer::expect<QFileDialog>([this](QFileDialog* fd) {
            fd->selectFile(jobPath);
            static_cast<QDialog*>(fd)->done(QDialog::Accepted);
        });
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("openPushButton")),
                          Qt::LeftButton);
        ASSERT_TRUE(answer->fired());
        ASSERT_TRUE(printButton->isEnabled()) << "the job did not load";
    }

    void TearDown() override { window.reset(); }

    void print() { QTest::mouseClick(printButton, Qt::LeftButton); }

    // Prints, expecting one error box, which is answered with OK.
    BoxSeen printExpectingBox() {
        BoxSeen seen;
        auto answer = ModalAnswer::expect<QMessageBox>([&](QMessageBox* box) {
            seen = {box->windowTitle(),  box->text(),
                    box->icon(),         box->parentWidget() == window.get(),
                    printButton->text(), printButton->isEnabled()};
            box->button(QMessageBox::Ok)->click();
        });
        print();
        EXPECT_TRUE(answer->fired()) << "no error box";
        return seen;
    }

    QByteArray save(const QString& name) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(klxSaveAs(*window, path));
        return kalyxtest::readFile(path);
    }

    void expectButtonRestored() {
        EXPECT_EQ(printButton->text(), QStringLiteral("&Print via USB"));
        EXPECT_TRUE(printButton->isEnabled());
    }

    QTemporaryDir dir;
    QByteArray job;
    QString jobPath;
    std::unique_ptr<KlxPrnTool> window;
    QPushButton* printButton = nullptr;
};

TEST_F(WindowPrint, NoPrinterGivesAnErrorAndTheButtonBack) {
    attachUsbDevices({});
    for (int attempt = 0; attempt < 2; ++attempt) {
        const BoxSeen box = printExpectingBox();
        EXPECT_EQ(box.title, QStringLiteral("Error"));
        EXPECT_EQ(box.text, QStringLiteral("Could not open connection to printer."));
        EXPECT_EQ(box.icon, QMessageBox::Critical);
        EXPECT_TRUE(box.parented);
        // The box comes while the print is still under way.
        EXPECT_EQ(box.buttonText, QStringLiteral("Printing..."));
        EXPECT_FALSE(box.buttonEnabled);
        expectButtonRestored();
    }
}

TEST_F(WindowPrint, TheFirstPrinterFoundGetsTheJobUnframed) {
    // lp10 sorts before lp9 as text; discovery goes by number.
    attachUsbDevices({fakeUsbDevice(10, "SECOND"), fakeUsbDevice(9, "FIRST")});
    FakePrinter second(printerEnd(10), identity("SECOND"));
    FakePrinter first(printerEnd(9), identity("FIRST"));
    const std::string expected(job.constData(), static_cast<std::size_t>(job.size()));

    PaintLog paints(printButton);
    MessageBoxLog boxes;
    print();
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
    expectButtonRestored();
    // The busy text reached the screen before the window blocked.
    EXPECT_TRUE(paints.texts.contains(QStringLiteral("Printing..."))) << paints.texts.size();

    // The identity request, then the job file's bytes with nothing added.
    ASSERT_TRUE(waitUntil([&] { return first.requests().size() == 2; }));
    const std::string got = first.bytes();
    EXPECT_EQ(got.size() - expected.size(), got.find(expected));
    EXPECT_EQ(second.requests().size(), 1u);
    EXPECT_EQ(second.bytes().find(job.left(job.indexOf('\0')).toStdString()), std::string::npos);
}

TEST_F(WindowPrint, InputArrivingDuringAPrintWaitsUntilItEnds) {
    const int n = unusedDeviceNumber();
    attachUsbDevices({fakeUsbDevice(n, "P")});
    FakePrinter printer(printerEnd(n), identity("P"));

    // A click on Open made just as Print was pressed: handled during the print, it would open a
    // file dialog, and with it a new job, in the middle of sending this one.
    QString printTextAtOpen;
    auto open = ModalAnswer::expect<QFileDialog>([&](QFileDialog* fd) {
        printTextAtOpen = printButton->text();
        fd->reject();
    });
    queueClick(window->findChild<QPushButton*>(QStringLiteral("openPushButton")));
    printButton->click();
    EXPECT_FALSE(open->fired()) << "the click was handled while printing";
    expectButtonRestored();

    // Not lost either: it is handled once the print is over.
    ASSERT_TRUE(QTest::qWaitFor([&] { return open->fired(); }, 5000));
    EXPECT_EQ(printTextAtOpen, QStringLiteral("&Print via USB"));
    EXPECT_TRUE(waitUntil([&] { return printer.requests().size() == 2; }));
}

TEST_F(WindowPrint, PrintSendsWhatSaveWritesEditsIncludedHiddenPlanesNot) {
    const int n = unusedDeviceNumber();
    attachUsbDevices({fakeUsbDevice(n, "P")});
    FakePrinter printer(printerEnd(n), identity("P"));

    auto* tree = window->findChild<QTreeWidget*>(QStringLiteral("prn_tree_widget"));
    const QList<QTreeWidgetItem*> copies =
        tree->findItems(QStringLiteral("num-copies"), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(copies.size(), 1);
    auto edit = ModalAnswer::expect<QInputDialog>([](QInputDialog* d) {
        d->setIntValue(5);
        d->accept();
    });
    tree->setCurrentItem(copies.front());
    QTest::keyClick(tree, Qt::Key_Return);
    ASSERT_TRUE(edit->fired());

    const QByteArray savedBefore = save(QStringLiteral("before.prn"));
    ASSERT_NE(savedBefore, job);
    ASSERT_TRUE(savedBefore.contains("<num-copies>5</num-copies>"));

    for (const char* name : {"check_box_y1", "check_box_k1"}) {
        auto* box = window->findChild<QCheckBox*>(QLatin1String(name));
        ASSERT_TRUE(box && box->isChecked()) << name;
        box->setChecked(false);
    }
    MessageBoxLog boxes;
    print();
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
    const QByteArray savedAfter = save(QStringLiteral("after.prn"));
    EXPECT_EQ(savedAfter, savedBefore);

    const std::string expected(savedBefore.constData(),
                               static_cast<std::size_t>(savedBefore.size()));
    ASSERT_TRUE(waitUntil([&] { return printer.bytes().size() >= expected.size(); }));
    const std::string got = printer.bytes();
    EXPECT_EQ(got.size() - expected.size(), got.find(expected));
}

TEST_F(WindowPrint, APrinterThatStopsReadingFailsTheJob) {
    const int n = unusedDeviceNumber();
    attachUsbDevices({fakeUsbDevice(n, "STALL")});
    FakePrinter printer(printerEnd(n), identity("STALL"), FakePrinter::Reply::StopsReading);

    // A real print waits 30 s for a stalled printer; this one gives up after 300 ms.
    std::vector<std::string> opened;
    std::vector<std::uint32_t> asked;
    window->setPrinterOpener([&](const std::string& path) {
        opened.push_back(path);
        return std::make_unique<Orvane::Printer>(
            std::make_unique<ShortWaitSession>(path, 300, asked));
    });

    const auto start = steady_clock::now();
    const BoxSeen box = printExpectingBox();
    EXPECT_LT(duration_cast<milliseconds>(steady_clock::now() - start).count(), 10000);
    EXPECT_EQ(box.text, QStringLiteral("Failed to send job to printer."));
    EXPECT_EQ(box.title, QStringLiteral("Error"));
    EXPECT_EQ(box.buttonText, QStringLiteral("Printing..."));
    expectButtonRestored();
    EXPECT_EQ(opened, std::vector<std::string>{nodePath(n)});
    EXPECT_EQ(asked, std::vector<std::uint32_t>{30000});
    EXPECT_LT(printer.bytes().size(), static_cast<std::size_t>(job.size()));
}

TEST_F(WindowPrint, APrinterGoneBetweenDiscoveryAndPrintIsNotOpened) {
    const int n = unusedDeviceNumber();
    attachUsbDevices({fakeUsbDevice(n, "GONE")});
    // Its node disappears once it has answered discovery, as when another program takes the
    // printer over or it is unplugged.
    gchar* root = umockdev_testbed_get_root_dir(testbed());
    const std::string node = root + nodePath(n);
    g_free(root);
    FakePrinter printer(printerEnd(n), identity("GONE"), FakePrinter::Reply::Answer,
                        [node] { ::unlink(node.c_str()); });
    // The library's own factory, watched: the printer was listed and its opening failed.
    std::vector<std::string> opened;
    window->setPrinterOpener([&](const std::string& path) {
        opened.push_back(path);
        return Orvane::Comms().getUsbPrinter(path);
    });

    const BoxSeen box = printExpectingBox();
    EXPECT_EQ(box.text, QStringLiteral("Could not open connection to printer."));
    expectButtonRestored();
    EXPECT_EQ(opened, std::vector<std::string>{nodePath(n)});
    EXPECT_EQ(printer.requests().size(), 1u);
}

} // namespace
