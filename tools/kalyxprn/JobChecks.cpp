#include "JobChecks.h"

#include "CliSupport.h"

#include <PrinterCheck.h>

namespace cli {

namespace {

using Verdict = kalyxcheck::PeerState::Verdict;

} // namespace

QString notAPrinter(const QString& command, const OpenedPrinter& target,
                    const kalyxcheck::PeerState& state) {
    const QString why = QString::fromStdString(kalyxcheck::notAPrinterReason(state));
    return QStringLiteral("kalyxprn %1: the device at %2 does not answer like a Kalyx printer "
                          "(%3); check the address")
        .arg(command, shown(target.name), why);
}

int checkBeforeJob(const QString& command, const OpenedPrinter& target) {
    if (target.file)
        return ExitSuccess;
    const kalyxcheck::PeerState state = kalyxcheck::askPrinter(*target.printer);
    switch (state.verdict) {
    case Verdict::Ready:
        return ExitSuccess;
    case Verdict::Error:
        err(QStringLiteral("kalyxprn %1: the printer at %2 reports: %3; the job was not sent")
                .arg(command, shown(target.name),
                     shown(QString::fromStdString(state.printerText))));
        return ExitFailure;
    case Verdict::NotAPrinter:
        err(notAPrinter(command, target, state) + QStringLiteral("; the job was not sent"));
        return ExitFailure;
    case Verdict::NoAnswer:
        break;
    }
    err(QStringLiteral("kalyxprn %1: no valid answer from the printer at %2: %3; the job was not "
                       "sent")
            .arg(command, shown(target.name),
                 failureWords(state.failure, target.waits, target.usb)));
    const int status = exitStatusFor(state.failure);
    return status == ExitSuccess ? ExitNoAnswer : status;
}

int checkAfterJob(const QString& command, const OpenedPrinter& target) {
    if (target.file)
        return ExitSuccess;
    const kalyxcheck::PeerState state = kalyxcheck::askPrinter(*target.printer);
    if (state.verdict != Verdict::Error)
        return ExitSuccess;
    err(QStringLiteral("kalyxprn %1: the printer at %2 reports after the job: %3; the card may "
                       "not have printed")
            .arg(command, shown(target.name), shown(QString::fromStdString(state.printerText))));
    return ExitFailure;
}

bool answersAsPrinter(Orvane::Printer& printer) {
    return kalyxcheck::askPrinter(printer).verdict != Verdict::NotAPrinter;
}

} // namespace cli
