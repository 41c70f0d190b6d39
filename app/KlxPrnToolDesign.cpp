// The window with a card design open: the design's view takes the place of the job's pages,
// and the window asks about unsaved changes before the design goes (also on closing).
#include "KlxPrnTool.h"

#include "design/BatchPage.h"
#include "design/DesignView.h"
#include "ui_KlxPrnTool.h"
#include <kalyxdocument/KlxPrnHolder.h>

void KlxPrnTool::openDesign(const QString& path, const QString& dataPath) {
    if (!closeDesign())
        return;
    if (!designView) {
        designView = new DesignView(this);
        ui->verticalLayout->insertWidget(ui->verticalLayout->indexOf(ui->prnTabWidget) + 1,
                                         designView, 1);
        connect(designView, &DesignView::titleChanged, this, [this](const QString& title) {
            setWindowTitle(title + QStringLiteral(" --- ") + baseWindowTitle);
        });
        // A batch prints to the printers of the chooser beside Print.
        designView->batchPage()->setPrinters([this] { return printerChoices; },
                                             [this] { return chosenPrinter(); });
    }
    QString error;
    if (!designView->open(path, error)) {
        showError(tr("Couldn't open the card design: %1").arg(error));
        return;
    }
    // The job, if one was open, is closed: its buttons would act on what is no longer shown.
    prnHolder.reset();
    resetView();
    ui->prnTabWidget->hide();
    designView->show();
    setWindowTitle(path + QStringLiteral(" --- ") + baseWindowTitle);
    if (!dataPath.isEmpty()) {
        QString dataError;
        // The Design page stays in front, showing the first row's data.
        if (!designView->batchPage()->openData(dataPath, &dataError))
            showError(tr("Couldn't read the data file: %1").arg(dataError));
    }
}

bool KlxPrnTool::closeDesign() {
    if (!designView || !designView->isVisible())
        return true;
    if (!designView->batchPage()->maybeStopPrinting() || !designView->maybeClose())
        return false;
    designView->hide();
    ui->prnTabWidget->show();
    return true;
}
