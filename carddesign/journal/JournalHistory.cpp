#include "JournalHistory.h"

namespace carddesign {

RowDue dueOf(const JournalRow& row) {
    const QString& s = row.state;
    if (s == QLatin1String(journalEvent::sending) || s == QLatin1String(journalEvent::uncertain))
        return RowDue::Uncertain;
    if (s == QLatin1String(journalEvent::sent) || s == QLatin1String(journalEvent::completed) ||
        s == QLatin1String("printed"))
        return RowDue::Done;
    return RowDue::Print;
}

const JournalRow* JournalHistory::find(const QString& key) const {
    const auto at = index_.find(key);
    return at == index_.end() ? nullptr : &rows_[at->second];
}

void JournalHistory::apply(const QJsonObject& entry) {
    const QString event = entry.value(QLatin1String("event")).toString();
    const QString key = entry.value(QLatin1String("key")).toString();
    if (!entry.contains(QLatin1String("key"))) {
        if (event == QLatin1String(journalEvent::run) ||
            event == QLatin1String(journalEvent::changed))
            runs_.push_back(entry);
        return;
    }
    // An event this version does not know leaves the row as it stood.
    static const QStringList known = {
        QLatin1String(journalEvent::sending),   QLatin1String(journalEvent::sent),
        QLatin1String(journalEvent::completed), QLatin1String(journalEvent::failed),
        QLatin1String(journalEvent::refused),   QLatin1String(journalEvent::uncertain),
        QLatin1String(journalEvent::confirmed), QLatin1String(journalEvent::reprint)};
    if (!known.contains(event))
        return;
    auto at = index_.find(key);
    if (at == index_.end()) {
        at = index_.emplace(key, rows_.size()).first;
        rows_.push_back(JournalRow{});
        rows_.back().key = key;
    }
    JournalRow& row = rows_[at->second];
    // A refusal says a card was not sent this time; it never unsays one that went out before
    // (a row printed, then edited so that it fails, or a second row with the same key).
    if (event == QLatin1String(journalEvent::refused) && dueOf(row) != RowDue::Print)
        return;
    if (entry.contains(QLatin1String("row")))
        row.row = entry.value(QLatin1String("row")).toInt();
    row.time = QDateTime::fromString(entry.value(QLatin1String("time")).toString(), Qt::ISODate);
    const QString reason = entry.value(QLatin1String("reason")).toString();
    if (event == QLatin1String(journalEvent::confirmed)) {
        row.state = entry.value(QLatin1String("as")).toString() == QLatin1String("printed")
                        ? QStringLiteral("printed")
                        : QStringLiteral("not-printed");
        return;
    }
    row.state = event;
    if (event == QLatin1String(journalEvent::reprint)) {
        row.reprintReasons << reason;
        row.reason = reason;
        return;
    }
    if (entry.contains(QLatin1String("printer")))
        row.printer = entry.value(QLatin1String("printer")).toString();
    if (event == QLatin1String(journalEvent::sent))
        ++row.sent;
    if (event == QLatin1String(journalEvent::failed) ||
        event == QLatin1String(journalEvent::refused) ||
        event == QLatin1String(journalEvent::uncertain))
        row.reason = reason;
    else if (event == QLatin1String(journalEvent::sending))
        row.reason.clear();
}

} // namespace carddesign
