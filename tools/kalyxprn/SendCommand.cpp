// kalyxprn send: a job file to a printer, unchanged, as the window's Print sends it.
#include "CliSupport.h"
#include "Command.h"
#include "JobChecks.h"
#include "JobDelivery.h"
#include "JobFile.h"
#include "PrinterTarget.h"

#include <kalyxcomms/Comms.h>
#include <kalyxcomms/Printer.h>

int runSend(const QStringList& rawArgs) {
    const QString command = QStringLiteral("send");
    QCommandLineParser parser;
    const QCommandLineOption usb(QStringLiteral("usb"),
                                 QStringLiteral("USB printer device (default: the first printer "
                                                "found)."),
                                 QStringLiteral("PATH"));
    const QCommandLineOption tcp(QStringLiteral("tcp"),
                                 QStringLiteral("Printer on the network (port 9100 by default)."),
                                 QStringLiteral("HOST[:PORT]"));
    const QCommandLineOption file(QStringLiteral("file"),
                                  QStringLiteral("Write the bytes into a file instead."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     QStringLiteral("Give up when the printer takes no data for "
                                                    "MS milliseconds (default %1).")
                                         .arg(cli::defaultWriteTimeoutMs),
                                     QStringLiteral("MS"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Send a job that printers would drop (a wrong "
                                                  "checksum, which is then made right, or a "
                                                  "header over 1 MiB) anyway."));
    parser.addOptions({usb, tcp, file, timeout, force});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A PRN job."));
    const QStringList args = cli::attachUsbPath(
        rawArgs, {QStringLiteral("tcp"), QStringLiteral("file"), QStringLiteral("timeout")}, 1);
    int status = ExitSuccess;
    if (!cli::parse(
            parser, command,
            QStringLiteral("FILE [--force] (--usb [PATH] | --tcp HOST[:PORT] | --file PATH)"),
            QStringLiteral("Validates the job as the window does and writes it to the "
                           "printer unchanged, as the window's Print does. Shows a "
                           "progress bar on a terminal for jobs over 1 MiB.\n\n") +
                cli::jobWrittenHelp(),
            args, status))
        return status;
    if (parser.positionalArguments().size() != 1)
        return cli::usageError(command, QStringLiteral("expects one FILE"));
    const int targets = int(parser.isSet(usb)) + int(parser.isSet(tcp)) + int(parser.isSet(file));
    if (targets != 1)
        return cli::usageError(command, QStringLiteral("give exactly one of --usb, --tcp, --file"));
    cli::TcpAddress address;
    if (parser.isSet(tcp) && !cli::parseTcpAddress(command, parser.value(tcp), address))
        return ExitUsage;
    int takeMs = cli::defaultWriteTimeoutMs;
    if (parser.isSet(timeout) && !cli::parseTimeout(command, parser.value(timeout), takeMs))
        return ExitUsage;

    const QString path = parser.positionalArguments().first();
    QByteArray job;
    if (!cli::readJob(command, path, parser.isSet(force), job))
        return ExitFailure;

    const Orvane::Comms comms;
    cli::OpenedPrinter target =
        parser.isSet(usb)   ? cli::openUsbPrinter(comms, command, parser.value(usb))
        : parser.isSet(tcp) ? cli::openTcpPrinter(comms, command, address)
                            : cli::openFilePrinter(comms, command, parser.value(file));
    if (!target.printer)
        return ExitFailure;
    target.waits.takeMs = takeMs;
    if (parser.isSet(timeout))
        target.printer->setWriteTimeout(std::uint32_t(takeMs));
    if (const int refused = cli::checkBeforeJob(command, target))
        return refused;
    qint64 taken = 0;
    if (!cli::writeJobBytes(*target.printer, job, cli::wantsProgress(job.size()), taken)) {
        if (target.printer->lastFailure() != Orvane::FailureReason::None && taken == job.size())
            taken = -1;
        return cli::reportSendFailure(command, target, taken, job.size());
    }
    if (const int stopped = cli::checkAfterJob(command, target)) {
        target.printer->close();
        return stopped;
    }
    if (!cli::closeJob(*target.printer, job.size(), taken))
        return cli::reportSendFailure(command, target, taken, job.size());
    const QString sent =
        QStringLiteral("sent %1 bytes to %2").arg(job.size()).arg(cli::shown(target.name));
    if (parser.isSet(file))
        cli::out(sent);
    else
        cli::sayJobWritten(
            sent, (parser.isSet(usb) ? QStringLiteral("--usb ") : QStringLiteral("--tcp ")) +
                      cli::shown(target.name));
    return ExitSuccess;
}
