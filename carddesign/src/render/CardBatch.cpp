#include "carddesign/CardBatch.h"

#include "carddesign/CardDesignFile.h"

#include <algorithm>
#include <optional>

struct CardBatch::Impl {
    CardBatchOptions options;
    QString dataPath;
    std::optional<CardDesign> design;
    std::unique_ptr<CardRenderer> renderer;
    CsvReader reader;
    int keyColumn = 0;
    QString date = cardTemplateDate();
    QString error;
    Fault fault = None;

    bool fail(Fault f, const QString& message) {
        fault = f;
        error = message;
        return false;
    }
};

CardBatch::CardBatch() : d(std::make_unique<Impl>()) {}
CardBatch::~CardBatch() = default;

bool CardBatch::open(const QString& designPath, const QString& dataPath,
                     const CardBatchOptions& options) {
    d->options = options;
    d->dataPath = dataPath;
    CardDesignResult loaded = loadCardDesign(designPath);
    if (!loaded.design)
        return d->fail(Design, loaded.error);
    d->design = std::move(loaded.design);
    d->renderer = std::make_unique<CardRenderer>(*d->design);
    if (!d->reader.open(dataPath, options.csv))
        return d->fail(Data, d->reader.error());
    d->keyColumn = 0;
    if (!options.keyColumn.isEmpty()) {
        d->keyColumn = d->reader.columns().indexOf(options.keyColumn);
        if (d->keyColumn < 0)
            return d->fail(Usage, QStringLiteral("the data has no column '%1' (columns: %2)")
                                      .arg(options.keyColumn,
                                           d->reader.columns().names().join(QStringLiteral(", "))));
    }
    return true;
}

CardBatch::Next CardBatch::next(CardBatchRow& out) {
    CsvRow row;
    for (;;) {
        const CsvReader::Next got = d->reader.next(row);
        if (got == CsvReader::Failed) {
            d->fail(Data, d->reader.error());
            return Failed;
        }
        if (got == CsvReader::End || d->options.rows.endsBefore(row.record.row - 1))
            return End;
        if (d->options.rows.contains(row.record.row))
            break;
    }
    out = CardBatchRow();
    out.record = row.record;
    out.key = cardRowKey(out.record, d->keyColumn);
    if (!row.problem.isEmpty()) {
        // Its values would land in the wrong columns: nothing of it is drawn.
        out.problems.push_back({QStringLiteral("data"), row.problem});
        return Row;
    }
    const CardTemplateContext context{&out.record, d->date};
    out.problems = checkCardRow(*d->design, context);
    CardRenderer::Card card = d->renderer->render(context, d->reader.folder(), d->options.outputs);
    // The row checks and the drawing may both see a missing column or a bad track: say it once.
    for (CardRowProblem& p : card.problems) {
        const bool known =
            std::any_of(out.problems.begin(), out.problems.end(), [&](const CardRowProblem& q) {
                return q.field == p.field && q.problem == p.problem;
            });
        if (!known)
            out.problems.push_back(std::move(p));
    }
    out.sides = card.sides;
    if (out.problems.empty())
        out.job = card.job;
    return Row;
}

int CardBatch::countSelectedRows() const {
    if (d->dataPath == QLatin1String("-"))
        return -1;
    CsvReader again;
    CsvOptions csv = d->options.csv;
    csv.delimiter = d->reader.delimiter();
    if (!again.open(d->dataPath, csv))
        return -1;
    int count = 0;
    CsvRow row;
    while (again.next(row) == CsvReader::Row) {
        if (d->options.rows.endsBefore(row.record.row - 1))
            break;
        if (d->options.rows.contains(row.record.row))
            ++count;
    }
    return count;
}

QString CardBatch::expand(const QString& text, const CardBatchRow& row) const {
    const CardTemplateContext context{&row.record, d->date};
    return expandCardTemplate(text, context);
}

const CardDesign& CardBatch::design() const {
    return *d->design;
}

const CardColumns& CardBatch::columns() const {
    return d->reader.columns();
}

const std::vector<CardRowProblem>& CardBatch::designWarnings() const {
    return d->renderer->designProblems();
}

bool CardBatch::windows1252() const {
    return d->reader.windows1252();
}

QChar CardBatch::delimiter() const {
    return d->reader.delimiter();
}

QString CardBatch::error() const {
    return d->error;
}

CardBatch::Fault CardBatch::fault() const {
    return d->fault;
}
