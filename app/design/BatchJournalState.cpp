#include "BatchJournalState.h"

#include "BatchOutputs.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

bool BatchJournalState::parse(const QByteArray& json) {
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return false;
    const QJsonObject status = document.object();
    rows.clear();
    for (const QJsonValue& value : status.value(QLatin1String("rows")).toArray()) {
        const QJsonObject o = value.toObject();
        BatchJournalRow row;
        row.key = o.value(QLatin1String("key")).toString();
        row.row = o.value(QLatin1String("row")).toInt();
        row.state = o.value(QLatin1String("state")).toString();
        row.due = o.value(QLatin1String("due")).toString();
        row.printer = o.value(QLatin1String("printer")).toString();
        row.reason = o.value(QLatin1String("reason")).toString();
        rows.push_back(row);
    }
    lastDestinations.clear();
    lastPrinters.clear();
    lastRows.clear();
    const QJsonArray runs = status.value(QLatin1String("runs")).toArray();
    for (int i = runs.size() - 1; i >= 0; --i) {
        const QJsonObject run = runs.at(i).toObject();
        if (run.value(QLatin1String("event")).toString() != QLatin1String("run"))
            continue;
        for (const QJsonValue& d : run.value(QLatin1String("destinations")).toArray())
            lastDestinations << d.toString();
        for (const QJsonValue& p : run.value(QLatin1String("printers")).toArray())
            lastPrinters << p.toString();
        lastRows = run.value(QLatin1String("rows")).toString();
        break;
    }
    return true;
}

std::vector<BatchJournalRow> BatchJournalState::uncertainRows() const {
    std::vector<BatchJournalRow> found;
    for (const BatchJournalRow& row : rows)
        if (row.uncertain())
            found.push_back(row);
    return found;
}

QString defaultJournalPath(const QString& data) {
    return data + QStringLiteral(".journal");
}

void readBatchJournal(QObject* owner, const QString& path,
                      std::function<void(const BatchJournalState&, const QString&)> done) {
    runKalyxprn(
        owner,
        {QStringLiteral("batch"), QStringLiteral("--status"), path, QStringLiteral("--json")},
        [done](int status, const QString& out, const QString& err) {
            BatchJournalState state;
            if (status != 0 || !state.parse(out.toUtf8()))
                done(state, err.trimmed().isEmpty()
                                ? QCoreApplication::translate("BatchOutputs",
                                                              "the journal could not be read")
                                : err.trimmed());
            else
                done(state, QString());
        });
}
