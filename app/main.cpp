#include "KlxPrnTool.h"
#include "PrinterExchangeRunner.h"
#include "Translations.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// A window program on Windows starts without a console: what --help and --version print goes to
// the console of the program that started it, unless the output is redirected.
void useStartersConsole() {
#ifdef _WIN32
    if (::GetFileType(::GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_UNKNOWN &&
        ::AttachConsole(ATTACH_PARENT_PROCESS))
        std::freopen("CONOUT$", "w", stdout);
#endif
}

// --help and --version are answered before the window, so they need no display. Any other
// argument is the job to open. Returns -1 when the first argument is neither.
int answerInfoOption(int argc, char* argv[]) {
    if (argc < 2)
        return -1;
    const bool version = std::strcmp(argv[1], "--version") == 0;
    const bool help = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0;
    if (!version && !help)
        return -1;
    useStartersConsole();
    if (version) {
        std::printf("kalyxprntool %s\n", KALYX_VERSION);
        return 0;
    }
    std::printf("Usage: kalyxprntool [JOB.prn]\n"
                "       kalyxprntool DESIGN.card.json [DATA.csv]\n"
                "Views, checks, edits, saves and prints a Kalyx PRN card job; edits a card\n"
                "design and checks a batch of rows against it.\n"
                "\n"
                "  JOB.prn     the job to open (also: the Open button, or drop a file)\n"
                "  DESIGN.card.json  the card design to open, with DATA.csv its data rows\n"
                "  --help      show this text\n"
                "  --version   show the version\n"
                "\n"
                "Print via USB prints on the first Kalyx printer found. Without a printer,\n"
                "'kalyxsim --usb -- kalyxprntool JOB.prn' attaches a simulated one.\n");
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    const int answered = answerInfoOption(argc, argv);
    if (answered >= 0)
        return answered;
    QApplication app(argc, argv);
    installKlxTranslations(app);
    int result = 0;
    {
        // The window writes its settings when it is destroyed, before the application object.
        KlxPrnTool window;
        window.show();
        result = app.exec();
    }
    // Quit does not wait for a printer that does not answer: an abandoned exchange ends with
    // the process, which closes its connection.
    if (PrinterExchangeRunner::threadsStillRunning() > 0) {
        std::fflush(stdout);
        std::_Exit(result);
    }
    return result;
}
