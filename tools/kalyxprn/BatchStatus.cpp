// kalyxprn batch --status JOURNAL: what a journal says, per row and in sum.
#include "BatchPrinting.h"
#include "CliSupport.h"

#include <BatchJournal.h>

#include <QJsonArray>

#include <map>

namespace cli {

namespace {

QString stateWords(const carddesign::JournalRow& row) {
    if (row.state == QLatin1String("printed"))
        return QStringLiteral("printed (confirmed)");
    if (row.state == QLatin1String("not-printed"))
        return QStringLiteral("not printed (confirmed), prints again");
    if (row.state == QLatin1String(carddesign::journalEvent::reprint))
        return QStringLiteral("reprint asked, not yet sent");
    if (row.state == QLatin1String(carddesign::journalEvent::sending))
        return QStringLiteral("uncertain (sending, no outcome)");
    if (!row.reason.isEmpty())
        return row.state + QStringLiteral(": ") + row.reason;
    return row.state;
}

QString summaryKey(carddesign::RowDue due) {
    switch (due) {
    case carddesign::RowDue::Done:
        return QStringLiteral("printed");
    case carddesign::RowDue::Uncertain:
        return QStringLiteral("uncertain");
    case carddesign::RowDue::Print:
        break;
    }
    return QStringLiteral("to print");
}

} // namespace

int runBatchStatus(const QString& path, bool json) {
    QString problem;
    const std::unique_ptr<carddesign::BatchJournal> journal =
        carddesign::BatchJournal::read(path, problem);
    if (!journal) {
        err(QStringLiteral("kalyxprn batch: cannot read the journal %1: %2")
                .arg(shown(path), problem));
        return ExitFailure;
    }
    const carddesign::JournalHistory history = journal->history();
    std::map<QString, int> counts;
    int reprints = 0;
    int refused = 0; // of those to print: rows whose data failed the checks when last read
    for (const carddesign::JournalRow& row : history.rows()) {
        ++counts[summaryKey(carddesign::dueOf(row))];
        reprints += row.reprintReasons.size();
        refused += row.state == QLatin1String(carddesign::journalEvent::refused);
    }
    const carddesign::JournalHeader& header = journal->header();
    if (json) {
        QJsonArray rows;
        for (const carddesign::JournalRow& row : history.rows()) {
            rows.append(QJsonObject{
                {QStringLiteral("key"), row.key},
                {QStringLiteral("row"), row.row},
                {QStringLiteral("state"), row.state},
                {QStringLiteral("due"), summaryKey(carddesign::dueOf(row))},
                {QStringLiteral("printer"), row.printer},
                {QStringLiteral("time"), row.time.toString(Qt::ISODateWithMs)},
                {QStringLiteral("reason"), row.reason},
                {QStringLiteral("sent"), row.sent},
                {QStringLiteral("reprints"), QJsonArray::fromStringList(row.reprintReasons)}});
        }
        QJsonObject summary;
        for (const auto& count : counts)
            summary.insert(count.first, count.second);
        summary.insert(QStringLiteral("reprints"), reprints);
        summary.insert(QStringLiteral("refused"), refused);
        QJsonArray runs;
        for (const QJsonObject& run : history.runs())
            runs.append(run);
        outJson(QJsonObject{{QStringLiteral("journal"), path},
                            {QStringLiteral("design"), header.design},
                            {QStringLiteral("data"), header.data},
                            {QStringLiteral("torn-line-dropped"), journal->droppedTornLine()},
                            {QStringLiteral("runs"), runs},
                            {QStringLiteral("rows"), rows},
                            {QStringLiteral("summary"), summary}});
        return ExitSuccess;
    }
    out(QStringLiteral("journal %1: design %2, data %3")
            .arg(shown(path), shown(header.design), shown(header.data)));
    for (const QJsonObject& run : history.runs()) {
        const QString what = run.value(QLatin1String("event")).toString();
        const QString user = run.value(QLatin1String("user")).toString();
        out(QStringLiteral("%1 %2%3 on %4")
                .arg(run.value(QLatin1String("time")).toString(),
                     what == QLatin1String("run") ? QStringLiteral("run")
                                                  : QStringLiteral("accepted changed files"),
                     user.isEmpty() ? QString() : QStringLiteral(" by ") + shown(user),
                     shown(run.value(QLatin1String("host")).toString())));
    }
    for (const carddesign::JournalRow& row : history.rows()) {
        QString line = QStringLiteral("row %1 (%2): %3")
                           .arg(row.row)
                           .arg(shown(row.key), shown(stateWords(row)));
        if (!row.printer.isEmpty())
            line += QStringLiteral(", %1").arg(shown(row.printer));
        line += QStringLiteral(", %1").arg(row.time.toString(Qt::ISODate));
        for (const QString& reason : row.reprintReasons)
            line += QStringLiteral(", reprinted: %1").arg(shown(reason));
        out(line);
    }
    if (journal->droppedTornLine())
        out(QStringLiteral("(a last line cut short by a crash is not counted)"));
    out(QStringLiteral("rows: %1; printed %2, uncertain %3, to print %4%5; reprints %6")
            .arg(history.rows().size())
            .arg(counts[QStringLiteral("printed")])
            .arg(counts[QStringLiteral("uncertain")])
            .arg(counts[QStringLiteral("to print")])
            .arg(refused ? QStringLiteral(" (%1 refused by their checks)").arg(refused) : QString())
            .arg(reprints));
    return ExitSuccess;
}

} // namespace cli
