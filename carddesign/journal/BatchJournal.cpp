#include "BatchJournal.h"

#include "JournalLine.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>

#include <algorithm>

namespace carddesign {

namespace {

constexpr const char* journalFormat = "kalyx-batch-journal/1";
// No line of ours comes near this; a longer one means the file is something else.
constexpr int longestLine = 1 << 20;

bool hashFile(const QString& path, QCryptographicHash& hash, QString& problem) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file)) {
        problem = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QString nowText() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

JournalHeader headerFrom(const QJsonObject& entry) {
    JournalHeader header;
    header.design = entry.value(QLatin1String("design")).toString();
    header.data = entry.value(QLatin1String("data")).toString();
    header.designHash = entry.value(QLatin1String("design-sha256")).toString();
    header.filesHash = entry.value(QLatin1String("files-sha256")).toString();
    header.dataHash = entry.value(QLatin1String("data-sha256")).toString();
    return header;
}

QJsonObject headerFields(const JournalHeader& header) {
    return QJsonObject{{QStringLiteral("design"), header.design},
                       {QStringLiteral("data"), header.data},
                       {QStringLiteral("design-sha256"), header.designHash},
                       {QStringLiteral("files-sha256"), header.filesHash},
                       {QStringLiteral("data-sha256"), header.dataHash}};
}

} // namespace

bool describeBatch(const QString& design, const QStringList& files, const QString& data,
                   JournalHeader& header, QString& problem) {
    header = JournalHeader{};
    header.design = design;
    header.data = data;
    QCryptographicHash designHash(QCryptographicHash::Sha256);
    if (!hashFile(design, designHash, problem))
        return false;
    header.designHash = QString::fromLatin1(designHash.result().toHex());
    // Each file by name and contents, in a fixed order: listing them differently changes nothing.
    QStringList sorted = files;
    sorted.sort();
    QCryptographicHash filesHash(QCryptographicHash::Sha256);
    for (const QString& file : sorted) {
        QCryptographicHash one(QCryptographicHash::Sha256);
        if (!hashFile(file, one, problem))
            return false;
        filesHash.addData(file.toUtf8() + '\0' + one.result());
    }
    header.filesHash = QString::fromLatin1(filesHash.result().toHex());
    if (data != QLatin1String("-")) {
        QCryptographicHash dataHash(QCryptographicHash::Sha256);
        if (!hashFile(data, dataHash, problem))
            return false;
        header.dataHash = QString::fromLatin1(dataHash.result().toHex());
    }
    return true;
}

QStringList changesBetween(const JournalHeader& then, const JournalHeader& now) {
    QStringList changes;
    const auto differs = [](const QString& a, const QString& b) {
        return !a.isEmpty() && !b.isEmpty() && a != b;
    };
    if (differs(then.designHash, now.designHash))
        changes << QStringLiteral("the design");
    if (differs(then.filesHash, now.filesHash))
        changes << QStringLiteral("the design's files");
    if (differs(then.dataHash, now.dataHash))
        changes << QStringLiteral("the data");
    return changes;
}

BatchJournal::Opened BatchJournal::openForRun(const QString& path,
                                              std::unique_ptr<BatchJournal>& journal,
                                              QString& problem) {
    std::unique_ptr<BatchJournal> opened(new BatchJournal);
    switch (opened->file_.openLocked(path, problem)) {
    case JournalFile::Opened::Busy:
        return Opened::Busy;
    case JournalFile::Opened::Failed:
        return Opened::Failed;
    case JournalFile::Opened::Ok:
        break;
    }
    if (!opened->load(problem))
        return Opened::Failed;
    if (opened->goodSize_ != opened->file_.size()) {
        if (!opened->file_.truncate(opened->goodSize_, problem))
            return Opened::Failed;
        opened->droppedTornLine_ = true;
    }
    journal = std::move(opened);
    return Opened::Ok;
}

std::unique_ptr<BatchJournal> BatchJournal::read(const QString& path, QString& problem) {
    std::unique_ptr<BatchJournal> journal(new BatchJournal);
    if (!journal->file_.openForReading(path, problem) || !journal->load(problem))
        return nullptr;
    journal->droppedTornLine_ = journal->goodSize_ != journal->file_.size();
    return journal;
}

bool BatchJournal::load(QString& problem) {
    QByteArray pending; // the line being gathered
    qint64 at = 0;      // where `pending` starts in the file
    qint64 lineNumber = 0;
    qint64 badLine = 0; // the first line that failed its check, if any
    QByteArray badStart;
    bool tooLong = false;
    const auto takeLine = [&](const QByteArray& line, qint64 end) {
        ++lineNumber;
        QJsonObject entry;
        if (badLine != 0 || !decodeJournalLine(line, entry)) {
            if (badLine == 0) {
                badLine = lineNumber;
                badStart = line.left(32);
            } else {
                badLine = -1; // more than the last line is damaged
            }
            return;
        }
        if (!hasHeader_) {
            if (entry.value(QLatin1String("event")).toString() != QLatin1String("header") ||
                entry.value(QLatin1String("format")).toString() != QLatin1String(journalFormat)) {
                badLine = -2;
                return;
            }
            header_ = headerFrom(entry);
            hasHeader_ = true;
        } else {
            apply(entry);
        }
        goodSize_ = end;
    };
    const bool read = file_.readAll(
        [&](const char* data, qint64 size) {
            if (tooLong || badLine < 0)
                return;
            qint64 from = 0;
            for (qint64 i = 0; i < size; ++i) {
                if (data[i] != '\n')
                    continue;
                pending.append(data + from, int(i - from));
                takeLine(pending, at + pending.size() + 1);
                at += pending.size() + 1;
                pending.clear();
                from = i + 1;
            }
            pending.append(data + from, int(size - from));
            tooLong = pending.size() > longestLine;
        },
        problem);
    if (!read)
        return false;
    if (!pending.isEmpty() && !tooLong && badLine == 0) {
        badLine = lineNumber + 1; // a last line without its line feed: cut short
        badStart = pending.left(32);
    }
    // Only a header cut short (its keys come in sorted order) may stand alone without one.
    if (tooLong || badLine == -2 ||
        (!hasHeader_ && badLine != 0 && (badLine > 1 || !badStart.startsWith("{\"data\":")))) {
        problem = QStringLiteral("not a batch journal");
        return false;
    }
    if (badLine < 0) {
        problem = QStringLiteral("damaged before its last line (not by a crash while writing)");
        return false;
    }
    return true;
}

bool BatchJournal::start(const JournalHeader& header, QString& problem) {
    QJsonObject entry = headerFields(header);
    entry.insert(QStringLiteral("event"), QStringLiteral("header"));
    entry.insert(QStringLiteral("format"), QLatin1String(journalFormat));
    entry.insert(QStringLiteral("time"), nowText());
    std::lock_guard<std::mutex> lock(mutex_);
    if (!file_.append(encodeJournalLine(entry), problem))
        return false;
    header_ = header;
    hasHeader_ = true;
    return true;
}

bool BatchJournal::record(QJsonObject entry, QString& problem) {
    entry.insert(QStringLiteral("time"), nowText());
    std::lock_guard<std::mutex> lock(mutex_);
    if (!file_.append(encodeJournalLine(entry), problem))
        return false;
    apply(entry);
    return true;
}

void BatchJournal::apply(const QJsonObject& entry) {
    // A run that accepted changed files compares later runs with those.
    if (entry.value(QLatin1String("event")).toString() == QLatin1String(journalEvent::changed)) {
        const JournalHeader now = headerFrom(entry);
        header_.designHash = now.designHash;
        header_.filesHash = now.filesHash;
        header_.dataHash = now.dataHash;
    }
    history_.apply(entry);
}

bool BatchJournal::recordChange(const JournalHeader& now, QString& problem) {
    QJsonObject entry = headerFields(now);
    entry.insert(QStringLiteral("event"), QLatin1String(journalEvent::changed));
    return record(entry, problem);
}

bool BatchJournal::recordRow(const char* event, const QString& key, int row,
                             const QJsonObject& extra, QString& problem) {
    QJsonObject entry = extra;
    entry.insert(QStringLiteral("event"), QLatin1String(event));
    entry.insert(QStringLiteral("key"), key);
    entry.insert(QStringLiteral("row"), row);
    return record(entry, problem);
}

bool BatchJournal::row(const QString& key, JournalRow& row) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const JournalRow* found = history_.find(key);
    if (found)
        row = *found;
    return found != nullptr;
}

JournalHistory BatchJournal::history() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return history_;
}

} // namespace carddesign
