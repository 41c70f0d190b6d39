// Save as and Print via USB: both send the job as serialised by the document, edits included.
#include "KlxPrnTool.h"

#include <kalyxdocument/KlxPrnHolder.h>
#include "ui_KlxPrnTool.h"

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
    ui->printPushButton->setEnabled(false);
    ui->printPushButton->setText(tr("Printing..."));
    // Paints the busy text before the window blocks. User input stays queued until the print
    // has ended, so no open, edit or second print can start in the middle of this one.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    const std::vector<Orvane::UsbPrinterInfo> infos = comms->getUsbPrinterInfos();
    std::unique_ptr<Orvane::Printer> printer;
    if (!infos.empty()) {
        const std::string& devicePath = infos.front().devicePath;
        printer = printerOpener ? printerOpener(devicePath) : comms->getUsbPrinter(devicePath);
    }
    if (!printer) {
        showError(tr("Could not open connection to printer."));
    } else {
        const QByteArray job = prnHolder->toByteArray();
        if (!printer->write(job.constData(), job.size()))
            showError(tr("Failed to send job to printer."));
    }
    // Closes the device before the button comes back.
    printer.reset();

    ui->printPushButton->setText(tr("&Print via USB"));
    ui->printPushButton->setEnabled(true);
}
