// What the journal of a batch says, as `kalyxprn batch --status JOURNAL --json` tells it: each
// row's last state, and what the last run printed to, so that the window can show an earlier
// batch and resume it where it stopped.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QObject;

struct BatchJournalRow {
    QString key;
    int row = 0;
    QString state; // sending, sent, completed, failed, uncertain, printed, not-printed, reprint
    QString due;   // printed, uncertain or "to print"
    QString printer;
    QString reason;

    bool printed() const { return due == QLatin1String("printed"); }
    bool uncertain() const { return due == QLatin1String("uncertain"); }
};

struct BatchJournalState {
    std::vector<BatchJournalRow> rows;
    // The last run's destinations as kalyxprn options ("--tcp=HOST:PORT", ...), its printers'
    // names and its --rows list (empty: every row).
    QStringList lastDestinations;
    QStringList lastPrinters;
    QString lastRows;

    // Reads the status JSON; false when it is not one.
    bool parse(const QByteArray& json);
    std::vector<BatchJournalRow> uncertainRows() const;
};

// The journal kalyxprn batch keeps for `data` unless told otherwise.
QString defaultJournalPath(const QString& data);

// Reads the journal at `path` through kalyxprn, off the window's thread; `done` gets the state,
// or an error text when the journal could not be read.
void readBatchJournal(QObject* owner, const QString& path,
                      std::function<void(const BatchJournalState&, const QString& error)> done);
