#include "WindowTestSupport.h"

#include <kalyxdocument/PrnJobBuilder.h>

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <string>

void ModalAnswer::start() {
    clock.start();
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [this] {
        if (poll())
            timer.stop();
        else if (clock.elapsed() > timeoutMs)
            timer.stop();
    });
    timer.start();
}

QString klxSharedFolderTemplate(const QString& name) {
#ifdef _WIN32
    return QStringLiteral("Z:/tmp/") + name + QStringLiteral("-XXXXXX");
#else
    return QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral("-XXXXXX");
#endif
}

std::string klxSimulatorPath(const QString& path) {
#ifdef _WIN32
    return QDir::fromNativeSeparators(path).mid(2).toStdString();
#else
    return path.toStdString();
#endif
}

bool klxSaveAs(QWidget& window, const QString& path) {
    auto answer = ModalAnswer::expect<QFileDialog>([&](QFileDialog* fd) {
        fd->selectFile(path);
        static_cast<QDialog*>(fd)->done(QDialog::Accepted);
    });
    QTest::mouseClick(child<QPushButton>(window, "savePushButton"), Qt::LeftButton);
    return answer->fired();
}

MessageBoxLog::MessageBoxLog() {
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || box == last)
            return;
        last = box;
        seen.push_back(
            {box->windowTitle(), box->text(), box->icon(), box->parentWidget() != nullptr});
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->done(0);
    });
    timer.start();
}

QStringList MessageBoxLog::texts() const {
    QStringList list;
    for (const Box& box : seen)
        list << box.text;
    return list;
}

QByteArray klxJob(const QByteArray& header, const QByteArray& binary) {
    return PrnJobBuilder::frame(header, binary);
}

QByteArray klxHeader(const QByteArray& cardXml, qint64 binarySize) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><prn><card>" + cardXml +
           "</card><binary-size>" + QByteArray::number(binarySize) +
           "</binary-size><time>1700000000</time></prn>";
}

QByteArray klxPlane(int width, int height, const std::function<unsigned char(int, int)>& ink) {
    QByteArray plane(width * height, '\0');
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            plane[x * height + y] = static_cast<char>(ink(x, y));
    return plane;
}

QByteArray klxPlane(int width, int height, unsigned char ink) {
    return QByteArray(width * height, static_cast<char>(ink));
}

namespace {

// QCoreApplication keeps references to these, so changing them changes arguments().
int appArgc = 1;
char* appArgv[4] = {};
std::string appArguments[2];

} // namespace

void klxSetCommandLine(const QStringList& arguments) {
    appArgc = 1;
    for (int i = 0; i < arguments.size() && i < 2; ++i) {
        appArguments[i] = arguments.at(i).toLocal8Bit().toStdString();
        appArgv[i + 1] = appArguments[i].data();
        appArgc = i + 2;
    }
}

int klxRunWindowTest(int argc, char** argv, const std::function<int(int, char**)>& run) {
    // Before the first QSettings: the path is cached on first use.
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());

    // Qt's own file dialogs, which the tests answer; Windows' native ones are no QWidget.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
#if defined(Q_OS_WIN)
    // Without a console window QtTest reports to the debugger only; the test runner reads stderr.
    qputenv("QT_FORCE_STDERR_LOGGING", "1");
#endif
    static char programName[] = "kalyxprntool";
    appArgv[0] = programName;
    appArgc = 1;
    QApplication app(appArgc, appArgv);
    return run(argc, argv);
}
