#include "PrinterConsole.h"

#include "Command.h"
#include "Completion.h"
#include "JobChecks.h"

#include <QRegularExpression>

namespace cli {

int Console::finish(const QString& command, bool exchanged, const std::string& error) const {
    if (exchanged && error.empty())
        return ExitSuccess;
    if (exchanged) {
        err(QStringLiteral("kalyxprn %1: the printer refused: %2")
                .arg(command, shown(QString::fromStdString(error))));
        return ExitFailure;
    }
    const Orvane::FailureReason reason = opened.printer->lastFailure();
    if (opened.printer->lastReception() == Orvane::Reception::Foreign) {
        // Another service on the printer's address: no later try reaches a printer there.
        kalyxcheck::PeerState state;
        state.failure = reason;
        state.reception = Orvane::Reception::Foreign;
        err(notAPrinter(command, opened, state));
        return ExitFailure;
    }
    const QString words = failureWords(reason, opened.waits, opened.usb);
    const int status = exitStatusFor(reason);
    if (status != ExitNoAnswer && status != ExitSuccess) {
        err(QStringLiteral("kalyxprn %1: %2 (printer at %3)")
                .arg(command, words, shown(opened.name)));
        return status;
    }
    err(QStringLiteral("kalyxprn %1: no valid answer from the printer at %2: %3")
            .arg(command, shown(opened.name), words));
    return ExitNoAnswer;
}

bool parseSub(QCommandLineParser& parser, const QString& command, const Subcommand& sub,
              const QStringList& args, int positionals, int& status) {
    // Negative numbers (error codes, slots) are arguments, not options.
    QStringList list = args;
    static const QRegularExpression negative(QStringLiteral("^-[0-9]+$"));
    for (int i = 0; i < list.size() && list.at(i) != QLatin1String("--"); ++i)
        if (negative.match(list.at(i)).hasMatch()) {
            list.insert(i, QStringLiteral("--"));
            break;
        }
    if (!parse(parser, command, QString::fromLatin1(sub.usage), QString::fromLatin1(sub.summary),
               list, status))
        return false;
    const int count = parser.positionalArguments().size();
    if (positionals >= 0 ? count != positionals : count < -positionals) {
        status = usageError(
            command,
            QStringLiteral("usage: kalyxprn %1 %2").arg(command, QString::fromLatin1(sub.usage)));
        return false;
    }
    return true;
}

const Subcommand* findSubcommand(const QString& name) {
    for (const Subcommand& s : printerSubcommands())
        if (name == QLatin1String(s.name))
            return &s;
    return nullptr;
}

} // namespace cli

namespace {

QString printerDescription() {
    QString text = QStringLiteral(
        "Runs one command on a printer. Exit status: 0 the printer accepted it, 1 it refused "
        "(its message on stderr) or the printer cannot be reached, 2 usage error, 3 no valid "
        "answer (stderr says why: a time-out, a lost connection, a broken message).\n\n"
        "An answer is awaited 7 s (40 s for move and mag-read, 9 s for calibrate; --timeout "
        "chooses another), and the printer must take each request within 30 s.\n\n"
        "Commands:\n");
    for (const cli::Subcommand& s : cli::printerSubcommands())
        text += QStringLiteral("  %1 %2\n")
                    .arg(QString::fromLatin1(s.name), -18)
                    .arg(QString::fromLatin1(s.usage));
    text += QStringLiteral("\n'kalyxprn printer COMMAND --help' describes one command.");
    return text;
}

// `--usb` takes an optional PATH, which QCommandLineParser cannot express: "--usb=PATH" when the
// next argument is a path, "--usb=" (the first printer found) when it is a sub-command's name, an
// option or nothing. A sub-command's name is never taken for a path.
QStringList withUsbPath(const QStringList& args) {
    QStringList out = args;
    for (int i = 0; i < out.size() && out.at(i) != QLatin1String("--"); ++i) {
        if (out.at(i) != QLatin1String("--usb") && out.at(i) != QLatin1String("-usb"))
            continue;
        const bool path = i + 1 < out.size() && !out.at(i + 1).startsWith(QLatin1Char('-')) &&
                          !cli::findSubcommand(out.at(i + 1));
        out[i] = QStringLiteral("--usb=") + (path ? out.takeAt(i + 1) : QString());
        break;
    }
    return out;
}

} // namespace

int runPrinter(const QStringList& args) {
    const QString command = QStringLiteral("printer");
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption usb(
        QStringLiteral("usb"),
        QStringLiteral("USB printer device, such as /dev/usb/lp0 (default: the "
                       "first printer found)."),
        QStringLiteral("PATH"));
    const QCommandLineOption tcp(QStringLiteral("tcp"),
                                 QStringLiteral("Printer on the network (port 9100 by default)."),
                                 QStringLiteral("HOST[:PORT]"));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     QStringLiteral("Wait at most MS milliseconds for the answer "
                                                    "(default: the command's own, see above)."),
                                     QStringLiteral("MS"));
    parser.addOptions({usb, tcp, timeout});
    parser.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("See below."),
                                 QStringLiteral("COMMAND [ARGS...]"));
    int status = ExitSuccess;
    if (!cli::parse(parser, command,
                    QStringLiteral("(--usb [PATH] | --tcp HOST[:PORT]) [--timeout MS] COMMAND "
                                   "[ARGS...]"),
                    printerDescription(), withUsbPath(args), status))
        return status;
    QStringList rest = parser.positionalArguments();
    if (rest.isEmpty())
        return cli::usageError(command, QStringLiteral("no COMMAND given (see 'kalyxprn printer "
                                                       "--help')"));
    const QString name = rest.takeFirst();
    const cli::Subcommand* chosen = cli::findSubcommand(name);
    if (!chosen)
        return cli::usageError(command, QStringLiteral("unknown command '%1' (see 'kalyxprn "
                                                       "printer --help')")
                                            .arg(name));
    const bool wantsHelp =
        rest.contains(QStringLiteral("--help")) || rest.contains(QStringLiteral("-h"));
    if (!wantsHelp && int(parser.isSet(usb)) + int(parser.isSet(tcp)) != 1)
        return cli::usageError(command, QStringLiteral("give exactly one of --usb [PATH], --tcp "
                                                       "HOST[:PORT]"));
    cli::TcpAddress address;
    if (parser.isSet(tcp) && !cli::parseTcpAddress(command, parser.value(tcp), address))
        return ExitUsage;
    int answerMs = chosen->answerMs;
    if (parser.isSet(timeout) && !cli::parseTimeout(command, parser.value(timeout), answerMs))
        return ExitUsage;
    cli::Console console(parser.value(usb), parser.isSet(tcp), address, answerMs,
                         parser.isSet(timeout));
    return chosen->run(*chosen, command + QLatin1Char(' ') + name, rest, console);
}

std::vector<cli::CommandDescription> describePrinterCommands() {
    std::vector<cli::CommandDescription> described;
    for (const cli::Subcommand& s : cli::printerSubcommands())
        described.push_back(cli::describe(QString::fromLatin1(s.name), [&s] {
            cli::Console none(QString(), false, cli::TcpAddress(), 0, false);
            return s.run(s, QString::fromLatin1(s.name), {QStringLiteral("--help")}, none);
        }));
    return described;
}
