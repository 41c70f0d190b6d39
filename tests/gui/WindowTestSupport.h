// Shared by the window tests: answering modal dialogs, building jobs, isolated settings and a
// command line the tests can set before a window is constructed. Whole files as bytes come from
// the common test support (FileBytes.h).
#pragma once

#include "FileBytes.h"

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Answers the next modal widget of type T. Arm it before the action that opens the dialog and
// check fired() afterwards; destroying it disarms it, so a handler for a dialog that never came
// cannot steal a later one.
class ModalAnswer {
public:
    template <class T>
    static std::unique_ptr<ModalAnswer> expect(std::function<void(T*)> action,
                                               int timeoutMs = 5000) {
        std::unique_ptr<ModalAnswer> answer(new ModalAnswer(timeoutMs));
        ModalAnswer* self = answer.get();
        answer->poll = [self, action]() -> bool {
            T* widget = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!widget || !widget->isVisible())
                return false;
            self->fired_ = true;
            action(widget);
            return true;
        };
        answer->start();
        return answer;
    }

    bool fired() const { return fired_; }

private:
    explicit ModalAnswer(int timeoutMs) : timeoutMs(timeoutMs) {}
    void start();

    std::function<bool()> poll;
    QTimer timer;
    QElapsedTimer clock;
    int timeoutMs;
    bool fired_ = false;
};

// Answers every message box shown while it lives (clicking OK) and keeps what each one said.
class MessageBoxLog {
public:
    struct Box {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        bool hasParent;
    };

    MessageBoxLog();
    const std::vector<Box>& boxes() const { return seen; }
    QStringList texts() const;

private:
    QTimer timer;
    QPointer<QMessageBox> last;
    std::vector<Box> seen;
};

// The widget of that object name in `window`; stops the run when the form has none.
template <class T> T* child(const QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no widget %s", name);
    return found;
}

// Clicks "Save as" in `window` and answers its file dialog with `path`; false when no dialog came.
bool klxSaveAs(QWidget& window, const QString& path);

// A complete job: header document, NUL, binary part, checksum.
QByteArray klxJob(const QByteArray& header, const QByteArray& binary);
// The usual frame around the card element, with binary-size and time.
QByteArray klxHeader(const QByteArray& cardXml, qint64 binarySize);
// One plane of width x height dots, stored column by column.
QByteArray klxPlane(int width, int height, const std::function<unsigned char(int x, int y)>& ink);
QByteArray klxPlane(int width, int height, unsigned char ink);

// A QTemporaryDir template for a folder a simulator stores into, and that folder as the
// simulator names it. Under wine the simulator runs natively, so the folder lies on the drive
// that is the Linux root (Z:) and the simulator is given its Linux path.
QString klxSharedFolderTemplate(const QString& name);
std::string klxSimulatorPath(const QString& path);

// The command line the next window sees (the program name is added in front).
void klxSetCommandLine(const QStringList& arguments);

// Runs the tests under an isolated settings store and a command line of our own, so the test
// runner's arguments never reach the window.
int klxRunWindowTest(int argc, char** argv, const std::function<int(int, char**)>& run);

#define KLX_WINDOW_TEST_MAIN(TestClass)                                                            \
    int main(int argc, char** argv) {                                                              \
        return klxRunWindowTest(argc, argv, [](int c, char** v) {                                  \
            TestClass test;                                                                        \
            return QTest::qExec(&test, c, v);                                                      \
        });                                                                                        \
    }
