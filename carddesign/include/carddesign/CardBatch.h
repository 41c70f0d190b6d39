// The rows of a batch one at a time: each selected row of a data file checked against a design
// and, when asked, drawn and made into a print job. Rows are streamed, so memory does not grow
// with the data file; whatever sends or writes the jobs takes them from here.
#pragma once

#include "CardDesign.h"
#include "CardRenderer.h"
#include "CardTemplate.h"
#include "CsvReader.h"
#include "RowChecks.h"
#include "RowRanges.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <array>
#include <memory>
#include <vector>

struct CardBatchOptions {
    CsvOptions csv;
    RowRanges rows;    // all rows by default
    QString keyColumn; // the column that names a row in messages; empty: the first
    int outputs = CardRenderer::CheckOnly; // CardRenderer::Output flags
};

struct CardBatchRow {
    CardRecord record; // values, row and line; record.columns points into the batch
    QString key;
    std::vector<CardRowProblem> problems;
    std::array<QImage, 2> sides; // with CardRenderer::Pictures
    QByteArray job;              // with CardRenderer::Job, when the row has no problems

    bool valid() const { return problems.empty(); }
};

class CardBatch {
public:
    CardBatch();
    ~CardBatch();
    CardBatch(const CardBatch&) = delete;
    CardBatch& operator=(const CardBatch&) = delete;

    enum Fault { None, Design, Data, Usage };
    // Reads and checks the design, opens the data file and reads its header. False with
    // error() and fault(): Design for a design that cannot be used (the message names the place
    // in the document), Data for a data file that cannot be read, Usage for a key column the
    // header lacks.
    bool open(const QString& designPath, const QString& dataPath, const CardBatchOptions& options);

    enum Next { Row, End, Failed };
    // The next selected row; Failed with error() when the data file cannot be read further.
    Next next(CardBatchRow& row);

    // Rows the options select, counted by reading the data file once more; -1 for standard
    // input, which can be read only once.
    int countSelectedRows() const;

    // `text` expanded for `row` (a template such as a job's file name).
    QString expand(const QString& text, const CardBatchRow& row) const;

    const CardDesign& design() const;
    const CardColumns& columns() const;
    // Problems of the design's own files that concern no row (a font in its folder that
    // cannot be read).
    const std::vector<CardRowProblem>& designWarnings() const;
    bool windows1252() const;
    QChar delimiter() const;
    QString error() const;
    Fault fault() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
