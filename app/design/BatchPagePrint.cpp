// The Batch page's printing: where the batch goes, the run followed live, Pause and Cancel
// (the cards in flight finish), the rows that may have printed asked about, and an earlier
// batch of the same data shown from its journal and resumed.
#include "BatchPage.h"

#include "BatchOutputs.h"
#include "BatchPrintDialog.h"
#include "BatchPrintRun.h"
#include "BatchUncertainDialog.h"
#include "DesignDocument.h"

#include <carddesign/RowChecks.h>
#include <carddesign/RowRanges.h>

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

namespace {

const QColor problemColour(170, 0, 0);

QString minutesAndSeconds(qint64 ms) {
    const qint64 seconds = (ms + 999) / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QWidget* BatchPage::buildPrintBar() {
    auto* bar = new QWidget;
    auto* layout = new QVBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* journalLine = new QHBoxLayout;
    journalLabel = new QLabel;
    journalLabel->setObjectName(QStringLiteral("batchJournal"));
    journalLabel->setAccessibleName(tr("Earlier batch of this data"));
    journalLabel->setWordWrap(true);
    journalLine->addWidget(journalLabel, 1);
    resumeButton = new QPushButton(tr("Resume"));
    resumeButton->setObjectName(QStringLiteral("batchResumeButton"));
    resumeButton->setAccessibleName(tr("Resume the earlier batch"));
    connect(resumeButton, &QPushButton::clicked, this, &BatchPage::resumePrint);
    journalLine->addWidget(resumeButton);
    layout->addLayout(journalLine);

    auto* progressLine = new QHBoxLayout;
    progress = new QProgressBar;
    progress->setAccessibleName(tr("Cards of the batch done"));
    progressLine->addWidget(progress, 1);
    progressLabel = new QLabel;
    progressLabel->setObjectName(QStringLiteral("batchProgress"));
    progressLabel->setAccessibleName(tr("Progress of the batch"));
    progressLine->addWidget(progressLabel);
    pauseButton = new QPushButton(tr("Pause"));
    pauseButton->setObjectName(QStringLiteral("batchPauseButton"));
    pauseButton->setAccessibleName(tr("Pause the batch"));
    connect(pauseButton, &QPushButton::clicked, this, &BatchPage::pauseOrResume);
    progressLine->addWidget(pauseButton);
    cancelButton = new QPushButton(tr("Cancel"));
    cancelButton->setObjectName(QStringLiteral("batchCancelButton"));
    cancelButton->setAccessibleName(tr("Cancel the batch"));
    connect(cancelButton, &QPushButton::clicked, this, &BatchPage::cancelPrint);
    progressLine->addWidget(cancelButton);
    layout->addLayout(progressLine);
    printersLabel = new QLabel;
    printersLabel->setObjectName(QStringLiteral("batchPrinters"));
    printersLabel->setAccessibleName(tr("Printers of the batch"));
    printersLabel->setTextFormat(Qt::PlainText);
    layout->addWidget(printersLabel);

    connect(run, &BatchPrintRun::begun, this, &BatchPage::printBegun);
    connect(run, &BatchPrintRun::card, this, &BatchPage::cardStep);
    connect(run, &BatchPrintRun::printerLeft, this, &BatchPage::printerGone);
    connect(run, &BatchPrintRun::ended, this, &BatchPage::printFinished);
    updatePrintControls();
    return bar;
}

BatchPage::~BatchPage() {
    // QWidget deletes the children after this page's members are gone; a kalyxprn process told
    // of its end then would call into them.
    for (QProcess* process : findChildren<QProcess*>())
        disconnect(process, nullptr, this, nullptr);
    delete run;
}

void BatchPage::setPrinters(std::function<std::vector<PrinterChoice>()> list,
                            std::function<PrinterChoice()> chosen) {
    printerList = std::move(list);
    chosenPrinter = std::move(chosen);
}

bool BatchPage::printing() const {
    return phase != PrintPhase::Idle && phase != PrintPhase::Paused;
}

QString BatchPage::journalPath() const {
    return path.isEmpty() ? QString() : defaultJournalPath(path);
}

int BatchPage::printableRows() const {
    int rows = 0;
    for (const QStringList& p : problems)
        rows += p.isEmpty();
    return rows;
}

void BatchPage::updatePrintControls() {
    const bool busy = phase != PrintPhase::Idle;
    printButton->setEnabled(!path.isEmpty() && !busy);
    pauseButton->setVisible(busy);
    cancelButton->setVisible(busy);
    progress->setVisible(busy || progress->value() > 0);
    pauseButton->setEnabled(phase == PrintPhase::Printing || phase == PrintPhase::Paused);
    cancelButton->setEnabled(phase == PrintPhase::Printing || phase == PrintPhase::Paused);
    pauseButton->setText(phase == PrintPhase::Paused ? tr("Resume") : tr("Pause"));
    pauseButton->setAccessibleName(phase == PrintPhase::Paused ? tr("Resume the batch")
                                                               : tr("Pause the batch"));
    resumeButton->setVisible(!busy && resumeOffered);
    journalLabel->setVisible(!busy);
}

void BatchPage::choosePrinters() {
    if (!designSaved() || printing())
        return;
    const std::vector<PrinterChoice> printers =
        printerList ? printerList() : std::vector<PrinterChoice>{PrinterChoice()};
    const int selected = table_->selectionModel()->selectedRows().size();
    const QString rowsText =
        selected >= 2
            ? tr("Prints the %1 selected rows; rows with problems are left out.").arg(selected)
            : tr("Prints every row without problems: %1 cards.").arg(printableRows());
    BatchPrintDialog dialog(printers, chosenPrinter ? chosenPrinter() : PrinterChoice(), rowsText,
                            this);
    if (dialog.exec() == QDialog::Accepted)
        printTo(dialog.chosen());
}

bool BatchPage::printTo(const std::vector<PrinterChoice>& pool) {
    if (path.isEmpty() || printing() || !designSaved())
        return false;
    QStringList destinations;
    QString problem;
    if (!batchDestinations(pool, destinations, problem)) {
        QMessageBox::warning(this, tr("Print the batch"), problem);
        return false;
    }
    QStringList confirms;
    if (!journal.uncertainRows().empty() && !askUncertain(confirms))
        return false;
    startPrint(destinations, selectedRows(), confirms);
    return true;
}

void BatchPage::startPrint(const QStringList& destinations, const QString& rows,
                           const QStringList& confirms, bool allowChanged) {
    runDestinations = destinations;
    runRows = rows;
    runConfirms = confirms;
    changeAccepted = allowChanged;
    QStringList args = destinations;
    if (allowChanged)
        args << QStringLiteral("--allow-changed");
    if (!rows.isEmpty())
        args << QStringLiteral("--rows") << rows;
    for (const QString& confirm : confirms)
        args << QStringLiteral("--confirm") << confirm;
    phase = PrintPhase::Printing;
    finalSteps.clear();
    printerCounts.clear();
    printerOrder.clear();
    total = 0;
    printedThisRun = 0;
    progress->setRange(0, 1);
    progress->setValue(0);
    progressLabel->setText(tr("Starting..."));
    printersLabel->clear();
    journalLabel->clear();
    resumeOffered = false;
    updatePrintControls();
    run->start(document->path(), path, args);
}

void BatchPage::pauseOrResume() {
    if (phase == PrintPhase::Paused) {
        resumePrint();
        return;
    }
    if (phase != PrintPhase::Printing)
        return;
    stopAfterCardsInFlight(PrintPhase::Pausing, tr("Pausing: the cards in flight finish..."));
}

void BatchPage::cancelPrint() {
    if (phase == PrintPhase::Paused) {
        phase = PrintPhase::Idle;
        progressLabel->setText(tr("Cancelled."));
        updatePrintControls();
        readJournal();
        return;
    }
    if (phase != PrintPhase::Printing)
        return;
    stopAfterCardsInFlight(PrintPhase::Cancelling,
                           tr("Cancelling: the cards in flight finish..."));
}

void BatchPage::stopAfterCardsInFlight(PrintPhase next, const QString& text) {
    phase = next;
    progressLabel->setText(text);
    run->stop();
    updatePrintControls();
}

void BatchPage::resumePrint() {
    if (!designSaved() || printing())
        return;
    QStringList destinations = runDestinations;
    QString rows = runRows;
    if (destinations.isEmpty()) {
        destinations = journal.lastDestinations;
        rows = journal.lastRows;
    }
    if (destinations.isEmpty()) {
        choosePrinters(); // a journal of a run that recorded no destinations: ask where
        return;
    }
    QStringList confirms;
    if (!journal.uncertainRows().empty() && !askUncertain(confirms))
        return;
    startPrint(destinations, rows, confirms);
}

void BatchPage::printBegun(int cards, const QStringList& names) {
    total = cards;
    clock.start();
    printerOrder = names;
    for (const QString& name : names)
        printerCounts[name] = PrinterCount();
    progress->setRange(0, std::max(1, total));
    updateProgress();
}

int BatchPage::tableRowOf(int row, const QString& key) const {
    // By key: the data may have been sorted since the journal began. A key made from a row's
    // contents (its key column empty) is not in the table: by the row's number then.
    const auto byKey = indexOfKey.constFind(key);
    if (byKey != indexOfKey.constEnd())
        return byKey.value();
    return indexOfRow.value(row, -1);
}

void BatchPage::setPrintState(int index, const QString& text, const QString& tip, bool problem) {
    if (index < 0 || index >= int(records.size()))
        return;
    printStates[std::size_t(index)] = text;
    printTips[std::size_t(index)] = tip;
    printProblems[std::size_t(index)] = problem;
    if (QTableWidgetItem* item = table_->item(index, 2)) {
        item->setText(text);
        item->setToolTip(tip);
        item->setForeground(problem ? problemColour : palette().text().color());
    }
}

void BatchPage::cardStep(const QString& step, int row, const QString& key, const QString& printer,
                         const QString& reason) {
    const int index = tableRowOf(row, key);
    if (step == QLatin1String("sending")) {
        finalSteps.erase(key);
        printerCounts[printer].doing = tr("printing row %1").arg(row);
        setPrintState(index, tr("sending"), tr("to %1").arg(printer));
    } else if (step == QLatin1String("sent") || step == QLatin1String("completed")) {
        finalSteps[key] = step;
        ++printerCounts[printer].printed;
        printerCounts[printer].doing.clear();
        ++printedThisRun;
        setPrintState(index, step == QLatin1String("sent") ? tr("sent") : tr("completed"));
    } else if (step == QLatin1String("failed") || step == QLatin1String("uncertain")) {
        finalSteps[key] = step;
        printerCounts[printer].doing.clear();
        setPrintState(index,
                      step == QLatin1String("failed") ? tr("failed: %1").arg(reason)
                                                      : tr("uncertain: %1").arg(reason),
                      reason, true);
    } else if (step == QLatin1String("retrying")) {
        finalSteps.erase(key);
        printerCounts[printer].doing.clear();
        setPrintState(index, tr("waiting for another printer"), reason);
    } else if (step == QLatin1String("skipped")) {
        finalSteps[key] = step;
        if (index >= 0 && printStates[std::size_t(index)].isEmpty())
            setPrintState(index, tr("printed before"));
    } else if (step == QLatin1String("refused")) {
        finalSteps[key] = step; // its problems are in the State column
    }
    updateProgress();
}

void BatchPage::printerGone(const QString& printer, const QString& reason) {
    printerCounts[printer].gone = reason;
    printerCounts[printer].doing.clear();
    updateProgress();
}

void BatchPage::updateProgress() {
    const int done = int(finalSteps.size());
    progress->setRange(0, std::max(1, total));
    progress->setValue(std::min(done, std::max(1, total)));
    QString text = tr("%1 of %2 cards").arg(done).arg(total);
    if (printedThisRun > 0 && total > done && clock.isValid()) {
        const qint64 perCard = clock.elapsed() / printedThisRun;
        text += tr(", %1 left").arg(minutesAndSeconds(perCard * (total - done)));
    }
    if (phase == PrintPhase::Printing)
        progressLabel->setText(text);
    QStringList lines;
    for (const QString& name : printerOrder) {
        const PrinterCount& count = printerCounts[name];
        const QString doing = !count.gone.isEmpty()   ? tr("out of the pool: %1").arg(count.gone)
                              : count.doing.isEmpty() ? tr("idle")
                                                      : count.doing;
        lines << tr("%1: %2 printed, %3").arg(name).arg(count.printed).arg(doing);
    }
    printersLabel->setText(lines.join(QLatin1Char('\n')));
}

void BatchPage::printFinished(int status, const QString& said) {
    const PrintPhase was = phase;
    int failed = 0, uncertain = 0;
    for (const auto& step : finalSteps) {
        failed += step.second == QLatin1String("failed");
        uncertain += step.second == QLatin1String("uncertain");
    }
    phase = was == PrintPhase::Pausing && status == 130 ? PrintPhase::Paused : PrintPhase::Idle;
    for (auto& count : printerCounts)
        count.second.doing.clear();
    updateProgress();
    QString outcome;
    if (phase == PrintPhase::Paused)
        outcome = tr("Paused after %1 of %2 cards.").arg(finalSteps.size()).arg(total);
    else if (was == PrintPhase::Cancelling)
        outcome = tr("Cancelled after %1 of %2 cards; the journal keeps what printed.")
                      .arg(finalSteps.size())
                      .arg(total);
    else if (status == 0)
        outcome = tr("Done: %1 cards printed.").arg(printedThisRun);
    else
        outcome = tr("Stopped: %1 printed, %2 failed, %3 may have printed.")
                      .arg(printedThisRun)
                      .arg(failed)
                      .arg(uncertain);
    progressLabel->setText(outcome);
    table_->resizeColumnToContents(2);
    updatePrintControls();
    // A run that printed nothing and said why: a design or data changed since the journal
    // began (as after moving a field and saving) is the user's to accept; anything else is told.
    if (status != 0 && status != 130 && total == 0 && !said.isEmpty()) {
        if (said.contains(QLatin1String("--allow-changed")) && !runDestinations.isEmpty()) {
            const QMessageBox::StandardButton answer = QMessageBox::question(
                this, tr("The design or the data changed"),
                tr("The design or the data changed since this data's batch began. Print the "
                   "rest with the files as they are now? Cards printed before stay printed; "
                   "rows are matched by their key."),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
            if (answer == QMessageBox::Yes) {
                startPrint(runDestinations, runRows, runConfirms, true);
                emit printEnded(status);
                return;
            }
        } else {
            QMessageBox::warning(this, tr("Print the batch"), said);
        }
    }
    askAfterRun = !closing; // the window going asks nothing more; the next opening will
    readJournal();
    emit printEnded(status);
}

void BatchPage::readJournal() {
    const QString file = journalPath();
    if (file.isEmpty() || !QFileInfo::exists(file)) {
        showJournal(BatchJournalState(), QString());
        return;
    }
    const QString dataNow = path;
    readBatchJournal(this, file,
                     [this, dataNow](const BatchJournalState& state, const QString& error) {
                         if (dataNow == path) // not another data file opened meanwhile
                             showJournal(state, error);
                     });
}

void BatchPage::showJournal(const BatchJournalState& state, const QString& error) {
    journal = state;
    // Read before a run that started since: the run's own steps are newer.
    if (phase != PrintPhase::Idle && phase != PrintPhase::Paused)
        return;
    const bool ask = askAfterRun;
    askAfterRun = false;
    if (!error.isEmpty()) {
        journalLabel->setText(tr("The journal %1 cannot be read: %2")
                                  .arg(QDir::toNativeSeparators(journalPath()), error));
        resumeOffered = false;
        updatePrintControls();
        emit journalShown();
        return;
    }
    static const QMap<QString, const char*> stateWords{
        {QStringLiteral("sending"), QT_TR_NOOP("may have printed: no outcome recorded")},
        {QStringLiteral("sent"), QT_TR_NOOP("sent")},
        {QStringLiteral("completed"), QT_TR_NOOP("completed")},
        {QStringLiteral("failed"), QT_TR_NOOP("failed")},
        {QStringLiteral("refused"), QT_TR_NOOP("not printed: the row has problems")},
        {QStringLiteral("uncertain"), QT_TR_NOOP("may have printed")},
        {QStringLiteral("printed"), QT_TR_NOOP("printed (confirmed)")},
        {QStringLiteral("not-printed"), QT_TR_NOOP("not printed (confirmed): prints again")},
        {QStringLiteral("reprint"), QT_TR_NOOP("to print again")},
    };
    for (const BatchJournalRow& row : state.rows) {
        const int index = tableRowOf(row.row, row.key);
        const char* words = stateWords.value(row.state);
        const bool problem = row.uncertain() || row.state == QLatin1String("failed");
        setPrintState(index, words ? tr(words) : row.state, row.reason, problem);
    }
    // What the last run set out to print, and how much of it is left.
    RowRanges ranges;
    QString rangeError;
    const bool someRows = !state.lastRows.isEmpty() && ranges.parse(state.lastRows, rangeError);
    std::vector<bool> rowPrinted(records.size(), false);
    for (const BatchJournalRow& row : state.rows) {
        const int index = tableRowOf(row.row, row.key);
        if (index >= 0)
            rowPrinted[std::size_t(index)] = row.printed();
    }
    int wanted = 0, printed = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!problems[i].isEmpty() || (someRows && !ranges.contains(records[i].row)))
            continue;
        ++wanted;
        printed += rowPrinted[i];
    }
    const int uncertain = int(state.uncertainRows().size());
    const bool unfinished = !state.rows.empty() && (printed < wanted || uncertain > 0);
    if (state.rows.empty())
        journalLabel->clear();
    else if (unfinished)
        journalLabel->setText(
            tr("An earlier batch of this data printed %1 of %2 cards; %3 "
               "left%4. Resume prints the rest, each card once.")
                .arg(printed)
                .arg(wanted)
                .arg(wanted - printed)
                .arg(uncertain ? tr(", %1 of them may have printed").arg(uncertain) : QString()));
    else
        journalLabel->setText(
            tr("Every card of the last batch of this data printed (%1).").arg(printed));
    resumeOffered = unfinished;
    table_->resizeColumnToContents(2);
    updatePrintControls();
    emit journalShown();
    if (ask && uncertain > 0 && phase == PrintPhase::Idle) {
        QStringList confirms;
        if (askUncertain(confirms))
            recordAnswers(confirms);
    }
}

bool BatchPage::askUncertain(QStringList& confirms) {
    BatchUncertainDialog dialog(journal.uncertainRows(), this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    confirms = dialog.confirmations();
    return !confirms.isEmpty();
}

void BatchPage::recordAnswers(const QStringList& confirms) {
    // Only the operator's words: no printer given, nothing prints.
    QStringList args;
    for (const QString& confirm : confirms)
        args << QStringLiteral("--confirm") << confirm;
    if (changeAccepted)
        args << QStringLiteral("--allow-changed");
    runBatchCommand(this, document->path(), path, args, [this](bool ok, const QString& said) {
        if (!ok)
            QMessageBox::warning(this, tr("Print the batch"), said);
        readJournal();
    });
}

bool BatchPage::maybeStopPrinting() {
    if (!run->running())
        return true;
    if (phase == PrintPhase::Printing) {
        const QMessageBox::StandardButton answer = QMessageBox::question(
            this, tr("A batch is printing"),
            tr("Stop the batch after the cards in flight? The journal keeps what printed; open "
               "the design and data again to resume."),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return false;
        phase = PrintPhase::Cancelling;
        run->stop();
        updatePrintControls();
    }
    if (phase == PrintPhase::Cancelling || phase == PrintPhase::Pausing) {
        // The window stays live while the cards in flight finish.
        progressLabel->setText(tr("Waiting for the cards in flight..."));
        closing = true;
        QEventLoop loop;
        connect(run, &BatchPrintRun::ended, &loop, &QEventLoop::quit);
        if (run->running())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        closing = false;
    }
    return !run->running();
}
