// Save as and Print via USB: both send the job as serialised by the document, edits included.
#include "KlxPrnTool.h"

#include "CupsQueues.h"
#include "PrinterExchangeRunner.h"
#include "ui_KlxPrnTool.h"
#include <kalyxdocument/KlxPrnHolder.h>

#include <kalyxcomms/Comms.h>
#include <kalyxcomms/Printer.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>

#include <utility>

void KlxPrnTool::on_savePushButton_clicked() {
    if (!prnHolder)
        return;
    const QString name = QFileDialog::getSaveFileName(this, tr("Choose PRN file"),
                                                      fileDialogDirName, tr("PRNs (*.prn)"));
    if (name.isEmpty())
        return;
    fileDialogDirName = QFileInfo(name).absolutePath();
    if (!prnHolder->save(name))
        showError(tr("Couldn't save PRN."));
}

void KlxPrnTool::setPrinterOpener(PrinterOpener opener) {
    printerOpener = std::move(opener);
}

void KlxPrnTool::on_printPushButton_clicked() {
    if (!prnHolder)
        return;
    printing = true;
    updateActions();
    ui->printPushButton->setText(tr("Printing..."));
    // Paints the busy text. From here until the print has ended user input stays queued, so no
    // open, edit or second print can start in the middle of this one; the window still repaints.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    // Looking for printers or a page's exchange in hand gives way to the print.
    exchanges->cancel();

    struct Outcome {
        enum { NotReached, Failed, Sent } state = NotReached;
        QString where;
        QString reason;
        int jobId = 0;
    };
    auto outcome = std::make_shared<Outcome>();
    auto finished = std::make_shared<bool>(false);
    const PrinterChoice choice = chosenPrinter();
    const QByteArray job = prnHolder->toByteArray();
    const QString title = windowTitle();
    const PrinterOpener opener = printerOpener;
    exchanges->start(
        tr("Printing"),
        [outcome, choice, job, title, opener](std::atomic<int>& progress) {
            if (choice.kind == PrinterChoice::Kind::Queue) {
                outcome->where = tr("CUPS queue %1").arg(choice.name);
                outcome->jobId = submitToCupsQueue(choice.name, job, title, outcome->reason);
                outcome->state = outcome->jobId > 0 ? Outcome::Sent : Outcome::Failed;
                return;
            }
            const Orvane::Comms comms;
            OpenedPrinter opened = openChosenPrinter(
                comms, choice, [&opener](const Orvane::Comms& c, const std::string& path) {
                    return opener ? opener(path) : c.getUsbPrinter(path);
                });
            outcome->where = opened.where;
            if (!opened.printer)
                return;
            {
                const PrinterExchangeRunner::AbortOnCancel abortable(*opened.printer);
                outcome->state = writeJobInSlices(*opened.printer, job, progress) ? Outcome::Sent
                                                                                  : Outcome::Failed;
            }
            // Closes the connection before the button comes back.
            opened.printer.reset();
        },
        [finished] { *finished = true; });
    exchanges->waitExcludingInput();

    if (!*finished) {
        showStatus(tr("The print was abandoned."));
    } else if (outcome->state == Outcome::NotReached) {
        showStatus(choice.kind == PrinterChoice::Kind::FirstUsb
                       ? noPrinterHint()
                       : tr("Could not reach %1.").arg(outcome->where));
        showError(tr("Could not open connection to printer."));
    } else if (outcome->state == Outcome::Failed) {
        showStatus(outcome->reason.isEmpty()
                       ? tr("The job did not reach %1.").arg(outcome->where)
                       : tr("%1 did not take the job: %2").arg(outcome->where, outcome->reason));
        showError(tr("Failed to send job to printer."));
    } else if (outcome->jobId > 0) {
        showStatus(tr("Sent %1 bytes to %2 as job %3.")
                       .arg(job.size())
                       .arg(outcome->where)
                       .arg(outcome->jobId));
    } else {
        showStatus(tr("Sent %1 bytes to %2.").arg(job.size()).arg(outcome->where));
    }

    printing = false;
    ui->printPushButton->setText(tr("&Print via USB"));
    updateActions();
}
