#include "BatchPage.h"

#include "BatchOutputs.h"
#include "BatchPrintRun.h"
#include "DesignDocument.h"
#include "DesignKPlane.h"
#include "DesignPainter.h"

#include <carddesign/CardRenderer.h>
#include <carddesign/CsvReader.h>
#include <carddesign/RowChecks.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>

namespace {

// More rows than a table can usefully show; the command line takes batches of any size.
constexpr int maxTableRows = 100000;
constexpr double previewScale = 0.3;

} // namespace

BatchPage::BatchPage(DesignDocument* document, QWidget* parent)
    : QWidget(parent), document(document), date(cardTemplateDate()) {
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto* open = new QPushButton(tr("Open data..."));
    open->setAccessibleName(tr("Open a data file"));
    connect(open, &QPushButton::clicked, this, &BatchPage::chooseData);
    bar->addWidget(open);
    fileLabel = new QLabel(tr("No data file: the design shows its field names."));
    bar->addWidget(fileLabel, 1);
    onlyProblems = new QCheckBox(tr("Only rows with problems"));
    onlyProblems->setObjectName(QStringLiteral("onlyProblems"));
    onlyProblems->setAccessibleName(tr("Only rows with problems"));
    connect(onlyProblems, &QCheckBox::toggled, this, &BatchPage::applyFilter);
    bar->addWidget(onlyProblems);
    proofButton = new QPushButton(tr("Proof..."));
    proofButton->setObjectName(QStringLiteral("batchProofButton"));
    proofButton->setAccessibleName(tr("Write a proof sheet"));
    exportButton = new QPushButton(tr("Export jobs..."));
    exportButton->setAccessibleName(tr("Write the jobs of the selected rows"));
    proofButton->setEnabled(false);
    exportButton->setEnabled(false);
    connect(proofButton, &QPushButton::clicked, this, &BatchPage::writeProof);
    connect(exportButton, &QPushButton::clicked, this, &BatchPage::exportJobs);
    bar->addWidget(proofButton);
    bar->addWidget(exportButton);
    printButton = new QPushButton(tr("Print..."));
    printButton->setObjectName(QStringLiteral("batchPrintButton"));
    printButton->setAccessibleName(tr("Print the batch"));
    printButton->setShortcut(QKeySequence::Print);
    printButton->setToolTip(
        tr("Print the rows to a printer or a pool of printers (%1)")
            .arg(QKeySequence(QKeySequence::Print).toString(QKeySequence::NativeText)));
    printButton->setEnabled(false);
    connect(printButton, &QPushButton::clicked, this, &BatchPage::choosePrinters);
    bar->addWidget(printButton);
    layout->addLayout(bar);

    summary = new QLabel;
    layout->addWidget(summary);
    run = new BatchPrintRun(this);
    layout->addWidget(buildPrintBar());
    auto* middle = new QHBoxLayout;
    table_ = new QTableWidget;
    table_->setAccessibleName(tr("Data rows"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &BatchPage::showRow);
    middle->addWidget(table_, 1);
    auto* previewColumn = new QVBoxLayout;
    kPlaneOnly = new QCheckBox(tr("K plane only"));
    kPlaneOnly->setAccessibleName(tr("Show the K plane only"));
    connect(kPlaneOnly, &QCheckBox::toggled, this, &BatchPage::showRow);
    previewColumn->addWidget(kPlaneOnly);
    for (int side = 0; side < 2; ++side) {
        preview[side] = new QLabel;
        preview[side]->setAccessibleName(side == 0 ? tr("Front of the selected row")
                                                   : tr("Back of the selected row"));
        preview[side]->setAlignment(Qt::AlignCenter);
        previewColumn->addWidget(preview[side]);
    }
    previewColumn->addStretch();
    middle->addLayout(previewColumn);
    layout->addLayout(middle, 1);

    connect(document, &DesignDocument::designChanged, this, [this] {
        checkRows();
        fillTable();
        showRow();
    });
}

void BatchPage::chooseData() {
    const QString start = path.isEmpty() ? QFileInfo(document->path()).absolutePath() : path;
    const QString chosen = QFileDialog::getOpenFileName(
        this, tr("Open a data file"), start, tr("Data files (*.csv *.tsv *.txt);;All files (*)"));
    if (!chosen.isEmpty())
        openData(chosen);
}

bool BatchPage::openData(const QString& dataPath, QString* error) {
    // The run in hand names rows of the data shown: another file waits until it is over.
    if (phase != PrintPhase::Idle) {
        const QString busy = tr("a batch is printing from %1: cancel it or wait for it to end")
                                 .arg(QFileInfo(path).fileName());
        summary->setText(busy);
        if (error)
            *error = busy;
        return false;
    }
    CsvReader reader;
    QString fault;
    CardColumns newColumns;
    std::vector<QStringList> newValues;
    std::vector<std::pair<int, qint64>> numbers;
    std::vector<QStringList> newReadProblems;
    if (!reader.open(dataPath)) {
        fault = reader.error();
    } else {
        newColumns = reader.columns();
        CsvRow row;
        for (;;) {
            const CsvReader::Next next = reader.next(row);
            if (next == CsvReader::End)
                break;
            if (next == CsvReader::Failed) {
                fault = reader.error();
                break;
            }
            if (int(newValues.size()) == maxTableRows) {
                fault = tr("more than %1 rows: use kalyxprn batch for this file").arg(maxTableRows);
                break;
            }
            newValues.push_back(row.record.values);
            numbers.emplace_back(row.record.row, row.record.line);
            newReadProblems.push_back(row.problem.isEmpty() ? QStringList()
                                                            : QStringList{row.problem});
        }
    }
    if (!fault.isEmpty()) {
        summary->setText(tr("%1 could not be read: %2").arg(dataPath, fault));
        if (error)
            *error = fault;
        return false;
    }
    path = QFileInfo(dataPath).absoluteFilePath();
    folder = reader.folder();
    columns = newColumns;
    records.clear();
    for (std::size_t i = 0; i < newValues.size(); ++i)
        records.push_back(CardRecord{&columns, newValues[i], numbers[i].first, numbers[i].second});
    readProblems = std::move(newReadProblems);
    indexOfKey.clear();
    indexOfRow.clear();
    const int keyColumn = cardKeyColumn(columns, QString());
    for (int i = 0; i < int(records.size()); ++i) {
        const QString key = cardRowKey(records[std::size_t(i)], keyColumn);
        if (!key.isEmpty())
            indexOfKey.insert(key, i);
        indexOfRow.insert(records[std::size_t(i)].row, i);
    }
    printStates.assign(records.size(), QString());
    printTips.assign(records.size(), QString());
    printProblems.assign(records.size(), false);
    journal = BatchJournalState();
    runDestinations.clear();
    runRows.clear();
    fileLabel->setText(QFileInfo(path).fileName());
    proofButton->setEnabled(true);
    exportButton->setEnabled(true);
    checkRows();
    fillTable();
    if (!records.empty())
        table_->selectRow(0);
    showRow();
    updatePrintControls();
    readJournal();
    return true;
}

void BatchPage::checkRows() {
    // The checks kalyxprn batch makes: the row's columns, tracks and options, then everything a
    // drawing finds (pictures, barcodes, text that does not fit), each problem said once.
    problems.assign(records.size(), {});
    if (records.empty())
        return;
    CardRenderer renderer(document->design());
    for (std::size_t i = 0; i < records.size(); ++i) {
        problems[i] = readProblems[i];
        if (!problems[i].isEmpty())
            continue; // its values would land in the wrong columns: nothing of it is drawn
        const CardTemplateContext context{&records[i], date};
        std::vector<CardRowProblem> found = checkCardRow(document->design(), context);
        for (CardRowProblem& p : renderer.render(context, folder, CardRenderer::CheckOnly).problems)
            found.push_back(std::move(p));
        for (const CardRowProblem& p : found)
            problems[i] << p.field + QStringLiteral(": ") + p.problem;
        problems[i].removeDuplicates();
    }
}

void BatchPage::fillTable() {
    const int key = cardKeyColumn(columns, QString());
    QStringList headers{key >= 0 ? columns.names().at(key) : tr("Row"), tr("State"),
                        tr("Printing")};
    QList<int> others;
    for (int c = 0; c < columns.names().size(); ++c)
        if (c != key) {
            headers << columns.names().at(c);
            others << c;
        }
    const int current = table_->currentRow();
    table_->clear();
    table_->setColumnCount(headers.size());
    table_->setHorizontalHeaderLabels(headers);
    table_->setRowCount(int(records.size()));
    int withProblems = 0;
    for (int r = 0; r < int(records.size()); ++r) {
        const CardRecord& record = records[std::size_t(r)];
        const QStringList& rowProblems = problems[std::size_t(r)];
        table_->setItem(r, 0, new QTableWidgetItem(cardRowKey(record, key)));
        auto* state = new QTableWidgetItem(
            rowProblems.isEmpty() ? tr("ok") : rowProblems.join(QStringLiteral("; ")));
        if (!rowProblems.isEmpty()) {
            ++withProblems;
            state->setForeground(QColor(170, 0, 0));
            state->setToolTip(rowProblems.join(QLatin1Char('\n')));
        }
        table_->setItem(r, 1, state);
        auto* printed = new QTableWidgetItem(printStates[std::size_t(r)]);
        printed->setToolTip(printTips[std::size_t(r)]);
        if (printProblems[std::size_t(r)])
            printed->setForeground(QColor(170, 0, 0));
        table_->setItem(r, 2, printed);
        for (int i = 0; i < others.size(); ++i)
            table_->setItem(r, 3 + i, new QTableWidgetItem(record.values.value(others.at(i))));
    }
    table_->resizeColumnsToContents();
    // Room for the states a print shows, before it shows them.
    table_->setColumnWidth(
        2, std::max(table_->columnWidth(2), fontMetrics().horizontalAdvance(tr("completed")) + 16));
    if (current >= 0 && current < table_->rowCount())
        table_->selectRow(current);
    summary->setText(records.empty()
                         ? QString()
                         : tr("%1 rows, %2 with problems").arg(records.size()).arg(withProblems));
    applyFilter();
}

void BatchPage::applyFilter() {
    const bool only = onlyProblems->isChecked();
    for (int r = 0; r < table_->rowCount(); ++r)
        table_->setRowHidden(r, only && problems[std::size_t(r)].isEmpty());
}

void BatchPage::showRow() {
    const int row = table_->currentRow();
    CardTemplateContext context;
    context.date = date;
    if (row >= 0 && row < int(records.size()))
        context.record = &records[std::size_t(row)];
    const CardDesign& design = document->design();
    // A row is previewed as it prints; without data, or with a row that has problems, as the
    // editor draws it.
    std::array<QImage, 2> printed;
    std::array<QImage, 2> kPlanes;
    if (kPlaneOnly->isChecked()) {
        kPlanes = designKPlanes(design, context, folder);
    } else if (context.record && problems.at(std::size_t(row)).isEmpty()) {
        CardRenderer renderer(design);
        printed = renderer.render(context, folder, CardRenderer::Pictures).sides;
    }
    for (int side = 0; side < 2; ++side) {
        const auto& cardSide = side == 0 ? design.front : design.back;
        if (!cardSide) {
            preview[side]->setPixmap(QPixmap());
            continue;
        }
        const QSize size(int(design.width * previewScale), int(design.height * previewScale));
        if (!kPlanes[std::size_t(side)].isNull()) {
            preview[side]->setPixmap(
                QPixmap::fromImage(kPlanePreview(kPlanes[std::size_t(side)], size)));
            continue;
        }
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        if (!printed[std::size_t(side)].isNull()) {
            painter.drawImage(QRect(QPoint(), size), printed[std::size_t(side)]);
        } else {
            painter.scale(previewScale, previewScale);
            paintDesignSide(painter, design, *cardSide, context, folder);
        }
        painter.end();
        preview[side]->setPixmap(QPixmap::fromImage(image));
    }
    emit rowChanged(context, folder);
}

void BatchPage::setKPlaneOnly(bool on) {
    kPlaneOnly->setChecked(on);
}

bool BatchPage::designSaved() {
    if (!document->isModified())
        return true;
    QMessageBox::information(this, tr("Save the design first"),
                             tr("kalyxprn makes the cards from the saved design: save the design "
                                "on the Design page first."));
    return false;
}

QString BatchPage::selectedRows() const {
    // One selected row is the one being looked at: the batch is all rows.
    QStringList rows;
    if (table_->selectionModel()->selectedRows().size() < 2)
        return QString();
    for (const QModelIndex& index : table_->selectionModel()->selectedRows())
        rows << QString::number(records[std::size_t(index.row())].row);
    return rows.join(QLatin1Char(','));
}

void BatchPage::runCommand(const QStringList& args, const QString& what) {
    proofButton->setEnabled(false);
    exportButton->setEnabled(false);
    summary->setText(tr("%1...").arg(what));
    runBatchCommand(this, document->path(), path, args, [this, what](bool ok, const QString& said) {
        proofButton->setEnabled(true);
        exportButton->setEnabled(true);
        summary->setText(ok ? tr("%1: done.").arg(what) : tr("%1 failed.").arg(what));
        if (!ok)
            QMessageBox::warning(this, what, said);
        emit outputWritten(ok, said);
    });
}

void BatchPage::writeProof() {
    if (!designSaved())
        return;
    const QString file = QFileDialog::getSaveFileName(
        this, tr("Write a proof sheet"),
        QFileInfo(path).absolutePath() + QStringLiteral("/proof.pdf"), tr("PDF (*.pdf)"));
    if (file.isEmpty())
        return;
    // The file dialog asked before an existing file is replaced; kalyxprn replaces it.
    QStringList args{QStringLiteral("--proof"), file};
    const QString rows = selectedRows();
    if (!rows.isEmpty())
        args << QStringLiteral("--rows") << rows;
    runCommand(args, tr("Proof sheet"));
}

void BatchPage::exportJobs() {
    if (!designSaved())
        return;
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Export jobs to"),
                                                             QFileInfo(path).absolutePath());
    if (folder.isEmpty())
        return;
    exportJobsTo(folder);
}

void BatchPage::exportJobsTo(const QString& folder) {
    QStringList args{QStringLiteral("-o"), folder};
    const QString rows = selectedRows();
    if (!rows.isEmpty())
        args << QStringLiteral("--rows") << rows;
    runCommand(args, tr("Export of jobs"));
}
