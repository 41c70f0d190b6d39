// Print via USB through the window under wine: a USB printing-class device staged in the prefix,
// its interface served by a pipe as the printer, the window started with a job.
#include "KlxPrnTool.h"
#include "PipePrinter.h"
#include "StagedUsbPrinter.h"
#include "WindowTestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Two sides of three planes on a 506 x 200 card: about 600 KB, more than one transfer.
QByteArray makeJob() {
    QByteArray card = "<card-options><num-copies>1</num-copies><width>506</width>"
                      "<height>200</height></card-options>";
    QByteArray binary;
    for (int side = 0; side < 2; ++side) {
        card += "<side-options side=\"" + QByteArray::number(side) + "\">";
        for (char panel : {'y', 'c', 'k'}) {
            card += QByteArray("<panel-options panel=\"") + panel + "\"/>";
            binary += klxPlane(506, 200, [side, panel](int x, int y) {
                return static_cast<unsigned char>(x * 3 + y * 5 + side * 17 + panel);
            });
        }
        card += "</side-options>";
    }
    return klxJob(klxHeader(card, binary.size()), binary);
}

class WindowsWindowPrint : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        jobPath = dir.filePath(QStringLiteral("job.prn"));
        ASSERT_TRUE(kalyxtest::writeFile(jobPath, makeJob()));
        klxSetCommandLine({jobPath});
        window = std::make_unique<KlxPrnTool>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        printButton = window->findChild<QPushButton*>(QStringLiteral("printPushButton"));
        ASSERT_TRUE(printButton && printButton->isEnabled()) << "the job did not load";
    }
    void TearDown() override { window.reset(); }

    QByteArray save() {
        const QString path = dir.filePath(QStringLiteral("saved.prn"));
        EXPECT_TRUE(klxSaveAs(*window, path));
        return kalyxtest::readFile(path);
    }

    void expectButtonBack() {
        EXPECT_EQ(printButton->text(), QStringLiteral("&Print via USB"));
        EXPECT_TRUE(printButton->isEnabled());
    }

    QTemporaryDir dir;
    QString jobPath;
    std::unique_ptr<KlxPrnTool> window;
    QPushButton* printButton = nullptr;
};

TEST_F(WindowsWindowPrint, WithoutAPrinterTheErrorBoxComes) {
    MessageBoxLog boxes;
    QTest::mouseClick(printButton, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.boxes().empty(); }, 5000));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    const MessageBoxLog::Box& box = boxes.boxes().front();
    EXPECT_EQ(box.title, QStringLiteral("Error"));
    EXPECT_EQ(box.text, QStringLiteral("Could not open connection to printer."));
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_TRUE(box.hasParent);
    expectButtonBack();
    // The status line's way to a printer must work here: the Windows simulator has no --usb.
    const QString hint = window->findChild<QLabel*>(QStringLiteral("statusLabel"))->text();
    EXPECT_TRUE(hint.contains(QStringLiteral("kalyxsim --port 9100")) && !hint.contains("--usb"))
        << hint.toStdString();
}

TEST_F(WindowsWindowPrint, ThePrinterFoundGetsExactlyWhatSaveWrites) {
    // Another vendor's printer is listed by Windows too, and must stay untouched.
    wintest::PipePrinter other(wintest::uniquePipePath("other"), wintest::identity("O1"));
    wintest::StagedUsbPrinter otherDevice("USB\\VID_04B8&PID_0005\\O1", other.path());
    wintest::PipePrinter printer(wintest::uniquePipePath("print"), wintest::identity("W1"),
                                 wintest::PipePrinter::Reply::Answer, 2);
    wintest::StagedUsbPrinter device("USB\\VID_5E2A&PID_0001\\W1", printer.path());
    ASSERT_TRUE(device.ok()) << device.problem();
    ASSERT_TRUE(otherDevice.ok()) << otherDevice.problem();

    MessageBoxLog boxes;
    QTest::mouseClick(printButton, Qt::LeftButton);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
    expectButtonBack();

    const QByteArray saved = save();
    ASSERT_FALSE(saved.isEmpty());
    // Discovery's open asks for the identity; the print's open carries the job and nothing else.
    ASSERT_TRUE(QTest::qWaitFor([&] { return printer.openedBytes().size() == 2; }, 5000));
    const std::vector<std::string> opens = printer.openedBytes();
    EXPECT_NE(opens[0].find("<param id=\"id-printer-serial\"/>"), std::string::npos);
    EXPECT_TRUE(opens[1] == saved.toStdString())
        << opens[1].size() << " bytes printed, " << saved.size() << " saved";
    EXPECT_EQ(other.opens(), 0);
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return klxRunWindowTest(argc, argv, [](int, char**) { return RUN_ALL_TESTS(); });
}
