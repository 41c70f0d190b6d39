// What a batch journal says about each row: its last state, where and when it went, how often
// it went out and why it was printed again. Built by applying the journal's entries in order.
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

namespace carddesign {

// The entries a journal holds besides its header ("event" names them).
namespace journalEvent {
constexpr const char* sending = "sending";     // before the first byte goes to a printer
constexpr const char* sent = "sent";           // the printer or scheduler took every byte
constexpr const char* completed = "completed"; // a queue's job reached its end state
constexpr const char* failed = "failed";       // not printed, with "reason"; printed again later
constexpr const char* refused = "refused";     // failed its checks, with "reason"; never sent
constexpr const char* uncertain = "uncertain"; // may have printed, with "reason"
constexpr const char* confirmed = "confirmed"; // the operator's word: "as" printed|reprint
constexpr const char* reprint = "reprint";     // printed again on purpose, with "reason"
constexpr const char* run = "run";             // a run began: who, where, which process
constexpr const char* changed = "changed";     // a run accepted a changed design or data
} // namespace journalEvent

// What a run does with a row.
enum class RowDue {
    Print,     // never went out, failed before its first byte, refused by its checks, or
               // asked for again (a refused row prints once its data passes the checks)
    Done,      // sent, completed, or confirmed printed
    Uncertain, // the last attempt may have printed: only the operator can say
};

struct JournalRow {
    QString key;
    int row = 0;   // the data row it last had
    QString state; // the last event about it: sending, sent, completed, failed, refused,
                   // uncertain, printed (confirmed), not-printed (confirmed), reprint
    QString printer;
    QString reason; // of a failure, a refusal, an uncertainty or a reprint
    QDateTime time;
    int sent = 0; // how often every byte of it was taken
    QStringList reprintReasons;
};

RowDue dueOf(const JournalRow& row);

class JournalHistory {
public:
    // Applies one entry; entries without a key (runs, changes) are kept as runs.
    void apply(const QJsonObject& entry);

    // Rows in the order the journal first named them.
    const std::vector<JournalRow>& rows() const { return rows_; }
    const JournalRow* find(const QString& key) const;
    const std::vector<QJsonObject>& runs() const { return runs_; }

private:
    std::vector<JournalRow> rows_;
    std::map<QString, std::size_t> index_;
    std::vector<QJsonObject> runs_;
};

} // namespace carddesign
