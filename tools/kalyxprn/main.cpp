// kalyxprn: inspect, check, render and edit PRN jobs from the command line.
#include "CliSupport.h"
#include "Command.h"
#include "Completion.h"
#include "FileNameBytes.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstring>
#include <memory>

namespace {

void printHelp(const std::vector<Command>& commands) {
    QString text =
        QStringLiteral("usage: kalyxprn COMMAND [ARGS...]\n\n"
                       "Inspect, check, render, edit and print PRN card jobs.\n\nCommands:\n");
    for (const Command& c : commands)
        text += QStringLiteral("  %1%2\n")
                    .arg(QString::fromLatin1(c.name), -10)
                    .arg(QString::fromLatin1(c.summary));
    text += QStringLiteral(
        "\n'kalyxprn COMMAND --help' describes one command.\n"
        "Exit status: 0 success, 1 invalid job, failed operation or printer refusal,\n"
        "2 usage error, 3 the exchange with a printer broke off (no answer or no\n"
        "progress in time, connection lost, broken answer).\n\n"
        "Printing through CUPS: the kalyx backend makes a printer a queue that\n"
        "accepts PRN jobs (see kalyx(8)), for example\n"
        "  lpadmin -p card1 -E -v kalyx://usb/SERIAL -P "
        "/usr/share/ppd/kalyx/kalyx-card.ppd\n"
        "  lpadmin -p card2 -E -v kalyx://tcp/HOST:9100 -P "
        "/usr/share/ppd/kalyx/kalyx-card.ppd\n"
        "  lpadmin -p card1 -c cards; lpadmin -p card2 -c cards; lp -d cards "
        "card.prn\n"
        "'kalyx' run without arguments lists the printers on USB with their URIs.");
    cli::out(text);
}

int run(const std::vector<Command>& commands, QStringList args) {
    if (args.isEmpty()) {
        printHelp(commands);
        return ExitUsage;
    }
    const QString name = args.takeFirst();
    // Not in the help: the packaging installs its output as the bash completion.
    if (name == QLatin1String("--completion") && args == QStringList{QStringLiteral("bash")}) {
        cli::out(cli::bashCompletion(commands));
        return ExitSuccess;
    }
    if (name == QLatin1String("--version")) {
        cli::out(QStringLiteral("kalyxprn " KALYX_VERSION));
        return ExitSuccess;
    }
    if (name == QLatin1String("--help") || name == QLatin1String("-h") ||
        name == QLatin1String("help")) {
        if (!args.isEmpty()) {
            for (const Command& c : commands)
                if (args.first() == QLatin1String(c.name))
                    return c.run(QStringList{QStringLiteral("--help")});
        }
        printHelp(commands);
        return ExitSuccess;
    }
    for (const Command& c : commands)
        if (name == QLatin1String(c.name))
            return c.run(args);
    cli::err(QStringLiteral("kalyxprn: unknown command '") + name +
             QStringLiteral("' (see 'kalyxprn --help')"));
    return ExitUsage;
}

// The platform's start-up notes (no runtime folder without a desktop session) say nothing about
// the batch; everything else Qt reports still reaches stderr.
QtMessageHandler defaultHandler = nullptr;
void quietGuiMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QLatin1String("QStandardPaths: ")))
        return;
    defaultHandler(type, context, text);
}

} // namespace

int main(int argc, char* argv[]) {
    cli::keepFileNameBytes();
    // A batch's proof sheet has its captions laid out by Qt's own text engine, which needs a
    // QGuiApplication; without a display it runs on the offscreen platform.
    bool gui = false;
    for (int i = 2; i < argc && std::strcmp(argv[1], "batch") == 0; ++i)
        gui = gui || std::strncmp(argv[i], "--proof", 7) == 0;
#ifndef Q_OS_WIN
    if (gui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    if (gui)
        defaultHandler = qInstallMessageHandler(quietGuiMessages);
    const std::unique_ptr<QCoreApplication> app =
        gui ? std::make_unique<QGuiApplication>(argc, argv)
            : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kalyxprn"));
    const int status = run(commandTable(), QCoreApplication::arguments().mid(1));
    // Output that did not arrive (a full disk) is a failure like any other.
    const QString problem = cli::outputProblem();
    if (!problem.isEmpty()) {
        cli::err(QStringLiteral("kalyxprn: cannot write the output: ") + problem);
        return status == ExitSuccess ? ExitFailure : status;
    }
    return status;
}
