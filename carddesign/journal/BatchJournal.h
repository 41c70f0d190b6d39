// The record of one batch: an append-only file beside the data, one line per change of a row's
// state, each line made durable before the batch takes its next step. It is what makes a batch
// resumable without printing a card twice, and it is the batch's print log.
#pragma once

#include "JournalFile.h"
#include "JournalHistory.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>

namespace carddesign {

// What a batch was made from: the design file, the files it draws (pictures, fonts) and the data,
// each by its SHA-256 in hex (empty when unknown, as for data read from standard input).
struct JournalHeader {
    QString design;
    QString data;
    QString designHash;
    QString filesHash;
    QString dataHash;
};

// Hashes the files of a batch; false with the file and reason in `problem` when one cannot be
// read. `files` are the design's own files; their order does not matter.
bool describeBatch(const QString& design, const QStringList& files, const QString& data,
                   JournalHeader& header, QString& problem);

// The parts of `now` that differ from `then` in words ("the design", "the data"); empty when
// nothing changed. An unknown hash compares as unchanged.
QStringList changesBetween(const JournalHeader& then, const JournalHeader& now);

class BatchJournal {
public:
    enum class Opened { Ok, Busy, Failed };
    // Opens the journal for a run, creating it when absent, and holds it locked against other
    // runs until destroyed (Busy: another process runs it). A torn last line is cut off; a
    // damaged line before the last, or a file that is no journal, fails with `problem`.
    static Opened openForRun(const QString& path, std::unique_ptr<BatchJournal>& journal,
                             QString& problem);
    // Reads a journal without taking the lock (a running batch may be writing it).
    static std::unique_ptr<BatchJournal> read(const QString& path, QString& problem);

    // The journal was empty: start() writes its header.
    bool isNew() const { return !hasHeader_; }
    const JournalHeader& header() const { return header_; }
    bool droppedTornLine() const { return droppedTornLine_; }
    bool start(const JournalHeader& header, QString& problem);

    // Appends one entry (its "time" added) and applies it; safe from several threads. False,
    // with nothing written, when the line cannot be made durable (a full disk): the caller must
    // not take the step the entry announces.
    bool record(QJsonObject entry, QString& problem);
    // A row's state change: `event` is one of journalEvent; `extra` adds fields (printer,
    // reason, bytes, job).
    bool recordRow(const char* event, const QString& key, int row, const QJsonObject& extra,
                   QString& problem);

    // A run goes on with changed files: later runs compare with `now`.
    bool recordChange(const JournalHeader& now, QString& problem);

    // What the journal says about one row; false when it names no such row.
    bool row(const QString& key, JournalRow& row) const;
    // A consistent copy of what the journal says, for threads that run beside the writers.
    JournalHistory history() const;

private:
    BatchJournal() = default;
    bool load(QString& problem);
    void apply(const QJsonObject& entry);

    mutable std::mutex mutex_;
    JournalFile file_;
    JournalHistory history_;
    JournalHeader header_;
    bool hasHeader_ = false;
    bool droppedTornLine_ = false;
    qint64 goodSize_ = 0;
};

} // namespace carddesign
