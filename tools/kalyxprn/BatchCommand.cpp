// batch: cards from a design and a data file. --check lists what keeps rows from printing; -o
// writes a job per printable row; --preview and --proof show the cards before anything prints.
#include "BatchPrinting.h"
#include "BatchProgress.h"
#include "CliSupport.h"
#include "Command.h"
#include "NewFile.h"
#include "ProofSheet.h"
#include "SidePicture.h"

#include <kalyxdocument/FileReplacement.h>
#include <kalyxdocument/KlxPrnHolder.h>

#include <carddesign/CardBatch.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>

namespace {

const QString command = QStringLiteral("batch");

struct BatchOptions {
    const QCommandLineOption check{QStringLiteral("check"),
                                   QStringLiteral("Check every selected row and draw nothing: "
                                                  "one line per problem, then a summary.")};
    const QCommandLineOption json{QStringLiteral("json"),
                                  QStringLiteral("With --check: print JSON.")};
    const QCommandLineOption output{QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write one job per printable row into DIR "
                                                   "(made if missing)."),
                                    QStringLiteral("DIR")};
    const QCommandLineOption name{QStringLiteral("name"),
                                  QStringLiteral("Names of the jobs and previews, a template "
                                                 "such as ${ID} (default ${_row}); .prn is "
                                                 "added."),
                                  QStringLiteral("TEMPLATE"), QStringLiteral("${_row}")};
    const QCommandLineOption force{QStringLiteral("force"),
                                   QStringLiteral("Replace job files that exist.")};
    const QCommandLineOption strict{QStringLiteral("strict"),
                                    QStringLiteral("Write nothing when any row has a problem.")};
    const QCommandLineOption preview{QStringLiteral("preview"),
                                     QStringLiteral("Write each printable row's sides as 'render' "
                                                    "shows them, NAME-front.png and "
                                                    "NAME-back.png, into DIR."),
                                     QStringLiteral("DIR")};
    const QCommandLineOption proof{QStringLiteral("proof"),
                                   QStringLiteral("Write a proof sheet: A4 pages with each "
                                                  "card's front beside its back, the row number "
                                                  "and key under it, rows with problems marked."),
                                   QStringLiteral("FILE.pdf")};
    const QCommandLineOption rows{QStringLiteral("rows"),
                                  QStringLiteral("Only these data rows, e.g. 1-10,15,20- (the "
                                                 "header is not counted)."),
                                  QStringLiteral("LIST")};
    const QCommandLineOption key{QStringLiteral("key"),
                                 QStringLiteral("The column that names a row in messages "
                                                "(default: the first)."),
                                 QStringLiteral("COLUMN")};
    const QCommandLineOption noHeader{QStringLiteral("no-header"),
                                      QStringLiteral("The data has no header row: its columns "
                                                     "are called 1, 2, 3 ...")};
    const QCommandLineOption delimiter{QStringLiteral("delimiter"),
                                       QStringLiteral("The data's separator: ',' ';' or 'tab' "
                                                      "(default: found from the data)."),
                                       QStringLiteral("CHAR")};
    QList<QCommandLineOption> all() const {
        return {check,   json,  output, name, force,    strict,
                preview, proof, rows,   key,  noHeader, delimiter};
    }
};

struct Settings {
    QString design, data;
    CardBatchOptions batch;
    bool check = false, json = false, force = false, strict = false;
    QString output, preview, proof, name;
    QString rows; // the --rows list as given
};

// Parses the arguments; false with `status` set when the command stops here. `printing` says the
// cards go to printers or a queue (the options of BatchPrinting.h), `statusOnly` that only a
// journal's history is asked for.
bool parseBatch(const QStringList& rawArgs, QCommandLineParser& parser, Settings& s, bool& printing,
                int& status) {
    const BatchOptions o;
    parser.addOptions(o.all());
    cli::addBatchPrintingOptions(parser);
    const QStringList args = cli::attachUsbDevices(rawArgs);
    parser.addPositionalArgument(QStringLiteral("DESIGN"), QStringLiteral("The card design "
                                                                          "(*.card.json)."));
    parser.addPositionalArgument(QStringLiteral("DATA"),
                                 QStringLiteral("The data file (CSV; - reads standard input)."));
    if (!cli::parse(parser, command,
                    QStringLiteral("DESIGN DATA (--check [--json] | -o DIR | --preview DIR | "
                                   "--proof FILE.pdf)... [--name TEMPLATE] [--rows LIST] [--key "
                                   "COLUMN] [--no-header] [--delimiter CHAR] [--force] [--strict]"
                                   "\n       kalyxprn batch DESIGN DATA (--tcp HOST[:PORT]... | "
                                   "--usb [PATH]... | --queue NAME) [--journal FILE] [OPTIONS]"
                                   "\n       kalyxprn batch --status JOURNAL"),
                    QStringLiteral("Makes cards from a design and a data file, one card per data "
                                   "row. A row with a problem (a missing column or picture, "
                                   "barcode data that cannot be encoded, a track text outside "
                                   "its character set, text that does not fit even at its "
                                   "smallest size, an option value out of range) is listed as "
                                   "'row N (KEY): FIELD: problem' and never printed.\n\n"
                                   "Exit status: 0 every row is fine, 1 some row has a problem "
                                   "or a file could not be written, 2 usage error or a design "
                                   "that cannot be used."),
                    args, status))
        return false;
    if (cli::batchStatusAsked(parser)) {
        status = cli::runBatchStatus(parser);
        return false;
    }
    printing = cli::batchPrintingAsked(parser);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2) {
        status = cli::usageError(command, QStringLiteral("give a design and a data file"));
        return false;
    }
    s.design = positional.at(0);
    s.data = positional.at(1);
    s.check = parser.isSet(o.check);
    s.json = parser.isSet(o.json);
    s.force = parser.isSet(o.force);
    s.strict = parser.isSet(o.strict);
    s.output = parser.value(o.output);
    s.preview = parser.value(o.preview);
    s.proof = parser.value(o.proof);
    s.name = parser.value(o.name);
    s.rows = parser.value(o.rows);
    const bool makes = parser.isSet(o.output) || parser.isSet(o.preview) || parser.isSet(o.proof);
    QString problem;
    if (printing && (s.check || makes))
        problem = QStringLiteral("printing goes without --check, -o, --preview and --proof");
    else if (!printing && s.check == makes)
        problem = QStringLiteral("give --check, or any of -o, --preview and --proof, or a "
                                 "printer (--tcp, --usb, --queue)");
    else if (s.json && !s.check)
        problem = QStringLiteral("--json goes with --check");
    else if ((s.force || s.strict) && !parser.isSet(o.output))
        problem = QStringLiteral("--force and --strict go with -o");
    else if (parser.isSet(o.rows) && !s.batch.rows.parse(parser.value(o.rows), problem))
        problem = QStringLiteral("--rows: ") + problem;
    if (problem.isEmpty() && parser.isSet(o.delimiter)) {
        const QString d = parser.value(o.delimiter);
        if (d == QLatin1String("tab") || d == QLatin1String("\\t") || d == QLatin1String("\t"))
            s.batch.csv.delimiter = QLatin1Char('\t');
        else if (d == QLatin1String(",") || d == QLatin1String(";"))
            s.batch.csv.delimiter = d.at(0);
        else
            problem = QStringLiteral("--delimiter takes ',', ';' or 'tab'");
    }
    if (!problem.isEmpty()) {
        status = cli::usageError(command, problem);
        return false;
    }
    s.batch.csv.header = !parser.isSet(o.noHeader);
    s.batch.keyColumn = parser.value(o.key);
    return true;
}

// Opens the batch; the exit status when it cannot be used.
bool openBatch(CardBatch& batch, const Settings& s, int outputs, int& status) {
    CardBatchOptions options = s.batch;
    options.outputs = outputs;
    if (!batch.open(s.design, s.data, options)) {
        const CardBatch::Fault fault = batch.fault();
        const QString file = fault == CardBatch::Design ? s.design : s.data;
        cli::err(QStringLiteral("kalyxprn batch: %1: %2")
                     .arg(cli::shown(fault == CardBatch::Usage ? QStringLiteral("--key") : file),
                          batch.error()));
        status = fault == CardBatch::Data ? ExitFailure : ExitUsage;
        return false;
    }
    for (const CardRowProblem& w : batch.designWarnings())
        cli::err(QStringLiteral("kalyxprn batch: warning: %1: %2").arg(w.field, w.problem));
    if (batch.windows1252())
        cli::err(QStringLiteral("kalyxprn batch: note: %1 is not UTF-8; read as Windows-1252")
                     .arg(cli::shown(s.data)));
    return true;
}

QString rowLabel(const CardBatchRow& row) {
    return row.key.isEmpty()
               ? QStringLiteral("row %1").arg(row.record.row)
               : QStringLiteral("row %1 (%2)").arg(row.record.row).arg(cli::shown(row.key));
}

void printProblems(const CardBatchRow& row) {
    for (const CardRowProblem& p : row.problems)
        cli::out(QStringLiteral("%1: %2: %3").arg(rowLabel(row), p.field, cli::shown(p.problem)));
}

QString summary(int rows, int invalid) {
    return QStringLiteral("%1 row%2 checked: %3 printable, %4 with problems")
        .arg(rows)
        .arg(rows == 1 ? QString() : QStringLiteral("s"))
        .arg(rows - invalid)
        .arg(invalid);
}

// Reads every selected row; `each` sees them in order. False when the data broke off.
template <typename Each> bool forEachRow(CardBatch& batch, const Settings& s, Each each) {
    BatchProgress progress(batch);
    CardBatchRow row;
    for (;;) {
        switch (batch.next(row)) {
        case CardBatch::Row:
            each(row);
            progress.step();
            continue;
        case CardBatch::End:
            return true;
        case CardBatch::Failed:
            progress.clear();
            cli::err(
                QStringLiteral("kalyxprn batch: %1: %2").arg(cli::shown(s.data), batch.error()));
            return false;
        }
    }
}

int runCheck(const Settings& s) {
    CardBatch batch;
    int status = ExitSuccess;
    if (!openBatch(batch, s, CardRenderer::CheckOnly, status))
        return status;
    int rows = 0, invalid = 0;
    bool first = true;
    if (s.json)
        std::fputs("{\"problems\":[", stdout);
    const bool read = forEachRow(batch, s, [&](const CardBatchRow& row) {
        ++rows;
        if (row.valid())
            return;
        ++invalid;
        if (!s.json) {
            printProblems(row);
            return;
        }
        // One object per problem, streamed: a large data file needs no large answer in memory.
        for (const CardRowProblem& p : row.problems) {
            QJsonObject o{{QStringLiteral("row"), row.record.row},
                          {QStringLiteral("line"), double(row.record.line)},
                          {QStringLiteral("key"), row.key},
                          {QStringLiteral("field"), p.field},
                          {QStringLiteral("problem"), p.problem}};
            const QByteArray text = QJsonDocument(o).toJson(QJsonDocument::Compact);
            if (!first)
                std::fputc(',', stdout);
            first = false;
            std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
        }
    });
    if (s.json) {
        const QByteArray tail = QStringLiteral("],\"rows\":%1,\"printable\":%2,\"invalid\":%3,"
                                               "\"complete\":%4}\n")
                                    .arg(rows)
                                    .arg(rows - invalid)
                                    .arg(invalid)
                                    .arg(read ? QStringLiteral("true") : QStringLiteral("false"))
                                    .toUtf8();
        std::fwrite(tail.constData(), 1, std::size_t(tail.size()), stdout);
    } else {
        cli::out(summary(rows, invalid));
    }
    return !read || invalid > 0 ? ExitFailure : ExitSuccess;
}

// A row's name as a file name: the template expanded, refused when it names another folder.
QString fileName(const CardBatch& batch, const Settings& s, const CardBatchRow& row,
                 QString& problem) {
    const QString name = batch.expand(s.name, row).trimmed();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
        std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20; }))
        problem = QStringLiteral("'%1' cannot be a file name").arg(cli::shown(name));
    return name;
}

bool makeFolder(const QString& path) {
    if (path.isEmpty() || QDir().mkpath(path))
        return true;
    cli::err(QStringLiteral("kalyxprn batch: cannot make the folder %1").arg(cli::shown(path)));
    return false;
}

// With --strict: true when every selected row can be printed (their problems are listed).
bool allRowsPrintable(const Settings& s, int& status) {
    CardBatch batch;
    if (!openBatch(batch, s, CardRenderer::CheckOnly, status))
        return false;
    int rows = 0, invalid = 0;
    const bool read = forEachRow(batch, s, [&](const CardBatchRow& row) {
        ++rows;
        if (!row.valid()) {
            ++invalid;
            printProblems(row);
        }
    });
    if (read && invalid == 0)
        return true;
    cli::out(summary(rows, invalid) + QStringLiteral("; --strict: nothing written"));
    status = ExitFailure;
    return false;
}

int runMake(const Settings& s) {
    int status = ExitSuccess;
    if (s.strict && !allRowsPrintable(s, status))
        return status;
    if (!makeFolder(s.output) || !makeFolder(s.preview))
        return ExitFailure;
    const int outputs = (s.output.isEmpty() && s.preview.isEmpty() ? 0 : CardRenderer::Job) |
                        (s.proof.isEmpty() ? 0 : CardRenderer::Pictures);
    CardBatch batch;
    if (!openBatch(batch, s, outputs, status))
        return status;
    ProofSheet proof;
    QString problem;
    if (!s.proof.isEmpty() && !proof.open(s.proof, QFileInfo(s.design).fileName(), problem)) {
        cli::err(QStringLiteral("kalyxprn batch: cannot write %1: %2")
                     .arg(cli::shown(s.proof), problem));
        return ExitFailure;
    }
    int rows = 0, invalid = 0, written = 0, failed = 0;
    const bool read = forEachRow(batch, s, [&](CardBatchRow& row) {
        ++rows;
        QString nameProblem;
        const QString name = fileName(batch, s, row, nameProblem);
        if (!nameProblem.isEmpty() && (!s.output.isEmpty() || !s.preview.isEmpty()))
            row.problems.push_back({QStringLiteral("--name"), nameProblem});
        if (!s.proof.isEmpty()) {
            QStringList problems;
            for (const CardRowProblem& p : row.problems)
                problems << p.field + QStringLiteral(": ") + p.problem;
            proof.add(row.record.row, row.key, row.sides, problems);
        }
        if (!row.valid()) {
            ++invalid;
            printProblems(row);
            return;
        }
        if (!s.output.isEmpty()) {
            const QString path = QDir(s.output).filePath(name + QStringLiteral(".prn"));
            QString reason;
            switch (cli::writeNewFile(path, row.job, s.force, reason)) {
            case cli::NewFileResult::Written:
                ++written;
                break;
            case cli::NewFileResult::Exists:
                ++failed;
                cli::out(QStringLiteral("%1: %2 exists; not replaced (--force replaces it)")
                             .arg(rowLabel(row), cli::shown(path)));
                break;
            case cli::NewFileResult::Failed:
                ++failed;
                cli::out(QStringLiteral("%1: cannot write %2: %3")
                             .arg(rowLabel(row), cli::shown(path), reason));
                break;
            }
        }
        if (!s.preview.isEmpty()) {
            const std::unique_ptr<KlxPrnHolder> holder = KlxPrnHolder::fromBytes(row.job);
            for (int side = 0; side < 2; ++side) {
                if (row.sides[std::size_t(side)].isNull() &&
                    !(side == 0 ? batch.design().front : batch.design().back))
                    continue;
                const QString path =
                    QDir(s.preview).filePath(name + (side == 0 ? QStringLiteral("-front.png")
                                                               : QStringLiteral("-back.png")));
                const QImage picture = holder ? cli::sidePicture(*holder, side) : QImage();
                QString reason = QStringLiteral("the job does not read back");
                if (picture.isNull() || !kalyxfile::replaceImage(path, picture, reason)) {
                    ++failed;
                    cli::out(QStringLiteral("%1: cannot write %2: %3")
                                 .arg(rowLabel(row), cli::shown(path), reason));
                }
            }
        }
    });
    if (!s.proof.isEmpty() && !proof.finish(problem)) {
        cli::err(QStringLiteral("kalyxprn batch: cannot write %1: %2")
                     .arg(cli::shown(s.proof), problem));
        ++failed;
    }
    QString done = summary(rows, invalid);
    if (!s.output.isEmpty())
        done += QStringLiteral("; %1 job%2 written to %3")
                    .arg(written)
                    .arg(written == 1 ? QString() : QStringLiteral("s"))
                    .arg(cli::shown(s.output));
    if (!s.proof.isEmpty())
        done += QStringLiteral("; proof in %1").arg(cli::shown(s.proof));
    cli::out(done);
    return !read || invalid > 0 || failed > 0 ? ExitFailure : ExitSuccess;
}

// The batch's cards for the printing half: each selected row's key, number and job, or the
// problems that keep it from printing.
class DesignCards : public cli::BatchCardSource {
public:
    DesignCards(CardBatch& batch) : batch_(batch), total_(batch.countSelectedRows()) {}
    Next next(cli::BatchCard& card, QString& problem) override {
        CardBatchRow row;
        switch (batch_.next(row)) {
        case CardBatch::Row:
            break;
        case CardBatch::End:
            return End;
        case CardBatch::Failed:
            problem = batch_.error();
            return Failed;
        }
        card = cli::BatchCard();
        card.row = row.record.row;
        // Without a key column value the row's own contents name it, so an edited or sorted
        // data file still finds it.
        card.key = !row.key.isEmpty()
                       ? row.key
                       : QString::fromLatin1(
                             QCryptographicHash::hash(row.record.values.join(QChar(0x1f)).toUtf8(),
                                                      QCryptographicHash::Sha1)
                                 .toHex());
        QStringList problems;
        for (const CardRowProblem& p : row.problems)
            problems << p.field + QStringLiteral(": ") + p.problem;
        card.problem = problems.join(QStringLiteral("; "));
        card.job = row.job;
        return Card;
    }
    int total() const override { return total_; }

private:
    CardBatch& batch_;
    int total_;
};

// The files a design draws besides the data's own pictures: its artwork and its fonts, whose
// changes a journal notices.
QStringList designFiles(const CardDesign& design) {
    QStringList files;
    for (const std::optional<CardSide>* side : {&design.front, &design.back}) {
        if (!*side)
            continue;
        if (!(*side)->background.image.isEmpty())
            files << resolveCardFile((*side)->background.image, false, design.folder, QString());
        for (const CardObject& o : (*side)->objects)
            if (o.type == CardObjectType::Image && !isCardTemplateVariable(o.src))
                files << resolveCardFile(o.src, false, design.folder, QString());
    }
    const QDir folder(design.folder);
    for (const QString& font :
         folder.entryList({QStringLiteral("*.ttf"), QStringLiteral("*.ttc")}, QDir::Files))
        files << folder.filePath(font);
    files.removeDuplicates();
    return files;
}

int runPrinting(const QCommandLineParser& parser, const Settings& s, const QStringList& args) {
    CardBatch batch;
    int status = ExitSuccess;
    if (!openBatch(batch, s, CardRenderer::Job, status))
        return status;
    DesignCards cards(batch);
    const cli::BatchInputs inputs{s.design, designFiles(batch.design()), s.data, args, s.rows};
    return cli::runBatchPrinting(parser, inputs, cards);
}

} // namespace

int runBatch(const QStringList& args) {
    Settings s;
    QCommandLineParser parser;
    bool printing = false;
    int status = ExitSuccess;
    if (!parseBatch(args, parser, s, printing, status))
        return status;
    if (printing)
        return runPrinting(parser, s, args);
    return s.check ? runCheck(s) : runMake(s);
}
