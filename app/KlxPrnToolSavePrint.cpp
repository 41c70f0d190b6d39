// Save as and Print via USB: both send the job as serialised by the document, edits included.
#include "KlxPrnTool.h"

#include "CommsHook.h"
#include "KlxPrnHolder.h"
#include "ui_KlxPrnTool.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>

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

void KlxPrnTool::on_printPushButton_clicked() {
    if (!prnHolder)
        return;
    // The job is taken as it is at the click; nothing below looks at the document again.
    const QByteArray job = prnHolder->toByteArray();

    ui->printPushButton->setEnabled(false);
    ui->printPushButton->setText(tr("Printing..."));
    // Repaint the button before the window blocks, but start no open, edit or second print
    // while this one runs.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

#if defined(KALYX_HAVE_COMMS)
    const auto infos = comms->getUsbPrinterInfos();
    if (infos.empty()) {
        showError(tr("Could not open connection to printer."));
    } else if (auto printer = comms->getUsbPrinter(infos.front().devicePath)) {
        if (!printer->write(job.constData(), job.size()))
            showError(tr("Failed to send job to printer."));
    } else {
        showError(tr("Could not open connection to printer."));
    }
#else
    (void)job;
    showError(tr("Could not open connection to printer."));
#endif

    ui->printPushButton->setText(tr("&Print via USB"));
    ui->printPushButton->setEnabled(true);
}
