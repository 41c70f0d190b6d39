// Peak memory of the window on a job with many rectangles, in two runs so that making the job
// does not count:
//
//   window_peak_memory --write-job JOB [--rectangles N]   writes the job: two sides, Y, M, C and
//                                     K on each, N area and hole rectangles (400,000 by default)
//                                     spread over the eight panels
//   window_peak_memory --open JOB     opens it in the window as a desktop would, shows every
//                                     page once and prints the process's peak resident size
//
// /usr/bin/time -v gives the same figure from outside; the job also serves kalyxprn and the
// window itself.
#include "KlxPrnTool.h"
#include <kalyxdocument/PrnJobBuilder.h>

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

namespace {

QByteArray rectangleJob(long rectangles) {
    const int width = 1013, height = 642;
    PrnJobBuilder builder;
    pugi::xml_node panels[8];
    for (int side = 0; side < 2; ++side) {
        pugi::xml_node sideNode = builder.addSide(side);
        for (int i = 0; i < 4; ++i) {
            QByteArray plane(width * height, char(40 + 50 * i));
            panels[side * 4 + i] = builder.addPanel(sideNode, "ymck"[i], plane);
        }
    }
    // Small rectangles on a grid, every third one a hole, so the decoder has real work.
    for (long r = 0; r < rectangles; ++r) {
        const long x = (r * 37) % (width - 20), y = (r * 11) % (height - 20);
        PrnJobBuilder::addRect(panels[r % 8], r % 3 == 2 ? "hole" : "area", x, y, 1 + r % 19,
                               1 + r % 17);
    }
    return builder.build();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

long peakKilobytes() {
#if defined(_WIN32)
    return -1;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#endif
}

} // namespace

int main(int argc, char** argv) {
    long rectangles = 400000;
    const char* writePath = nullptr;
    const char* openPath = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rectangles") == 0)
            rectangles = std::strtol(argv[i + 1], nullptr, 10);
        else if (std::strcmp(argv[i], "--write-job") == 0)
            writePath = argv[i + 1];
        else if (std::strcmp(argv[i], "--open") == 0)
            openPath = argv[i + 1];
    }
    if (writePath)
        return writeFile(QString::fromLocal8Bit(writePath), rectangleJob(rectangles)) ? 0 : 1;
    if (!openPath) {
        std::fprintf(stderr, "usage: window_peak_memory --write-job JOB [--rectangles N] | "
                             "--open JOB\n");
        return 2;
    }

#if !defined(_WIN32)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QTemporaryDir dir;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());

    // The window opens the job named on its command line.
    static QByteArray programName("window_peak_memory");
    static char* qtArgv[] = {programName.data(), const_cast<char*>(openPath), nullptr};
    static int qtArgc = 2;
    QApplication app(qtArgc, qtArgv);
    {
        auto window = std::make_unique<KlxPrnTool>();
        window->show();
        QTabWidget* tabs = window->findChild<QTabWidget*>(QStringLiteral("prnTabWidget"));
        for (int page = 0; tabs && page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            QApplication::processEvents();
        }
        std::printf("window: peak %ld MB\n", peakKilobytes() / 1024);
    }
    return 0;
}
