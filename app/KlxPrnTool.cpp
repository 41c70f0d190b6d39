// The window: construction, settings, opening a job, the two window states and the About box.
#include "KlxPrnTool.h"

#include "AboutText.h"
#include "PrinterExchangeRunner.h"
#include "PrinterPage.h"
#include "design/DesignView.h"
#include "ui_KlxPrnTool.h"
#include <kalyxdocument/KlxPrnHolder.h>

#include <kalyxcomms/Comms.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QUrl>

#include <prnformat/Panels.h>

namespace {

void showParseFailureBox(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QObject::tr("Parse Failure"), text, QMessageBox::Ok);
    box.exec();
}

} // namespace

KlxPrnTool::KlxPrnTool(QWidget* parent)
    : QWidget(parent), ui(new Ui::KlxPrnTool),
      settings(QStringLiteral("Orvane"), QStringLiteral("KalyxPrnTool")),
      comms(std::make_unique<Orvane::Comms>()), exchanges(new PrinterExchangeRunner(this)),
      printerPage(nullptr), prnLoaded(false) {
    ui->setupUi(this);
    printerPage = new PrinterPage(exchanges, [this] { return chosenPrinter(); });
    printerPage->setObjectName(QStringLiteral("printerPage"));
    // Scrolled on a small screen, so the window fits 1280 x 720 with every control reachable.
    auto* printerScroll = new QScrollArea;
    printerScroll->setObjectName(QStringLiteral("printer_tab"));
    printerScroll->setWidgetResizable(true);
    printerScroll->setFrameShape(QFrame::NoFrame);
    printerScroll->setWidget(printerPage);
    ui->prnTabWidget->addTab(printerScroll, tr("Printer"));
    connect(exchanges, &PrinterExchangeRunner::busyChanged, this, [this] { updateActions(); });
    connect(exchanges, &PrinterExchangeRunner::progressed, this, [this](int permille) {
        ui->busyBar->setRange(0, permille < 0 ? 0 : 1000);
        ui->busyBar->setValue(std::max(0, permille));
    });
    setAcceptDrops(true);
    KlxPrnHolder::setParseFailureReporter(showParseFailureBox);

    if (settings.contains(QStringLiteral("fileDialogDirName")))
        fileDialogDirName =
            settings.value(QStringLiteral("fileDialogDirName"), QString()).toString();
    else
        fileDialogDirName = QString();
    if (settings.contains(QStringLiteral("pos")))
        move(settings.value(QStringLiteral("pos")).toPoint());
    if (settings.contains(QStringLiteral("size")))
        resize(settings.value(QStringLiteral("size")).toSize());

    baseWindowTitle =
        QStringLiteral("Kalyx PRN Tool ") + settings.value(QStringLiteral("Version")).toString();
    setWindowTitle(baseWindowTitle);

    setUpPrinters();
    updateActions();

    // A job named on the command line is opened before the window is first shown.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 2 && DesignView::isDesignFile(arguments.at(1)))
        openDesign(arguments.at(1), arguments.at(2));
    else if (arguments.size() > 1 && !arguments.at(1).isEmpty())
        openPrn(arguments.at(1));
}

KlxPrnTool::~KlxPrnTool() {
    disconnect(exchanges, nullptr, this, nullptr);
    exchanges->cancel();
    settings.setValue(QStringLiteral("fileDialogDirName"), fileDialogDirName);
    settings.setValue(QStringLiteral("pos"), pos());
    settings.setValue(QStringLiteral("size"), size());
    KlxPrnHolder::setParseFailureReporter({});
    delete ui;
}

void KlxPrnTool::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void KlxPrnTool::dragMoveEvent(QDragMoveEvent* event) {
    event->acceptProposedAction();
}

void KlxPrnTool::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
}

void KlxPrnTool::dropEvent(QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (!mime->hasUrls())
        return;
    const QList<QUrl> urls = mime->urls();
    if (urls.isEmpty())
        return;
    // A URL that is not a local file gives an empty path, which fails to load like any bad file.
    openPrn(urls.first().toLocalFile());
    event->acceptProposedAction();
}

void KlxPrnTool::on_openPushButton_clicked() {
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Choose PRN file"), fileDialogDirName,
        tr("PRNs and card designs (*.prn *.card.json);;PRNs (*.prn);;Card designs (*.card.json)"));
    if (!checkFileExists(path))
        return;
    fileDialogDirName = QFileInfo(path).absolutePath();
    openPrn(path);
}

bool KlxPrnTool::checkFileExists(const QString& path) {
    if (!path.isEmpty() && QFileInfo::exists(path))
        return true;
    if (!path.isEmpty())
        showError(tr("File does not exist."));
    return false;
}

bool KlxPrnTool::loadPrnFile(const QString& path) {
    // The previous job goes first, whatever the outcome of this load, and its pictures with it.
    prnHolder.reset();
    ui->side1Label->showPicture(QImage());
    ui->side2Label->showPicture(QImage());
    prnHolder = std::make_unique<KlxPrnHolder>(path);
    if (!prnHolder->isValid())
        prnHolder.reset();
    if (prnHolder)
        return true;
    showError(tr("Couldn't parse PRN file."));
    return false;
}

void KlxPrnTool::openPrn(const QString& path) {
    if (DesignView::isDesignFile(path))
        return openDesign(path);
    if (!closeDesign())
        return;
    if (!loadPrnFile(path)) {
        resetView();
        return;
    }
    setWindowTitle(path + QStringLiteral(" --- ") + baseWindowTitle);
    setPlaneBoxes();
    refreshImages();
    fillMagTab();
    buildOptionsTree();
    prnLoaded = true;
    updateActions();
}

void KlxPrnTool::setPlaneBoxes() {
    QCheckBox* const boxes[2][4] = {
        {ui->check_box_y1, ui->check_box_m1, ui->check_box_c1, ui->check_box_k1},
        {ui->check_box_y2, ui->check_box_m2, ui->check_box_c2, ui->check_box_k2},
    };
    // Setting eight boxes would otherwise render both sides eight times; openPrn renders once
    // after all of them are set.
    for (int side = 0; side < 2; ++side) {
        for (int i = 0; i < 4; ++i) {
            const QSignalBlocker blocker(boxes[side][i]);
            boxes[side][i]->setChecked(prnHolder->hasPanel(side, Orvane::kPanelLetters[i]));
        }
    }
}

void KlxPrnTool::resetView() {
    setWindowTitle(baseWindowTitle);
    prnLoaded = false;
    clearTree();
    updateActions();
}

void KlxPrnTool::updateActions() {
    const bool job = prnLoaded && prnHolder;
    const bool busy = exchanges->busy();
    ui->printPushButton->setEnabled(job && !printing);
    ui->savePushButton->setEnabled(job);
    ui->prnTabWidget->setTabEnabled(0, job && prnHolder->hasSide(0));
    ui->prnTabWidget->setTabEnabled(1, job && prnHolder->hasSide(1));
    ui->prnTabWidget->setTabEnabled(2, job && prnHolder->hasMagData());
    // Without a job the boxes and export buttons sit on disabled pages and keep their state.
    if (job) {
        QCheckBox* const boxes[2][4] = {
            {ui->check_box_y1, ui->check_box_m1, ui->check_box_c1, ui->check_box_k1},
            {ui->check_box_y2, ui->check_box_m2, ui->check_box_c2, ui->check_box_k2},
        };
        QPushButton* const exports[2] = {ui->export1PushButton, ui->export2PushButton};
        for (int side = 0; side < 2; ++side) {
            bool anyVisible = false;
            for (int i = 0; i < 4; ++i) {
                boxes[side][i]->setEnabled(prnHolder->hasPanel(side, Orvane::kPanelLetters[i]));
                anyVisible = anyVisible || boxes[side][i]->isChecked();
            }
            exports[side]->setEnabled(anyVisible);
        }
    }
    ui->printerComboBox->setEnabled(!printing);
    ui->busyBar->setVisible(busy);
    // A print keeps the window's input for itself; its connection closes when it gives up.
    ui->cancelPushButton->setVisible(busy && !printing);
    printerPage->updateActions(busy);
}

void KlxPrnTool::showStatus(const QString& text) {
    ui->statusLabel->setText(text);
    ui->statusLabel->setToolTip(text);
}

bool KlxPrnTool::exchangeRunning() const {
    return exchanges->busy() || PrinterExchangeRunner::threadsStillRunning() > 0;
}

void KlxPrnTool::on_cancelPushButton_clicked() {
    if (!exchanges->busy())
        return;
    const QString what = exchanges->what();
    exchanges->cancel();
    showStatus(tr("%1: cancelled.").arg(what));
}

void KlxPrnTool::closeEvent(QCloseEvent* event) {
    if (!closeDesign()) {
        event->ignore();
        return;
    }
    // Quit never waits for a printer: the exchange in hand is abandoned and its connection
    // closes with the process.
    exchanges->cancel();
    QWidget::closeEvent(event);
}

void KlxPrnTool::clearTree() {
    ui->prn_tree_widget->clear();
    ui->prn_tree_widget->setColumnCount(2);
}

void KlxPrnTool::showError(const QString& text) {
    QMessageBox::critical(this, tr("Error"), text, QMessageBox::Ok);
}

void KlxPrnTool::on_aboutPushButton_clicked() {
    QMessageBox::about(this, windowTitle(), klxAboutText());
}
