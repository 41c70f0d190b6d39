// The cards of a batch as the printing half sees them: whatever draws the rows hands over each
// selected row's key, number and job, or the problem that keeps it from printing.
#pragma once

#include <QByteArray>
#include <QString>

namespace cli {

struct BatchCard {
    QString key;     // matches the row across runs, however the data file is edited or sorted
    int row = 0;     // 1-based data row
    QString problem; // non-empty: the row failed its checks and is never sent
    QByteArray job;  // the print job, when the row has no problem
};

class BatchCardSource {
public:
    virtual ~BatchCardSource() = default;
    enum Next { Card, End, Failed };
    // The next selected row; Failed with `problem` when the data cannot be read further.
    virtual Next next(BatchCard& card, QString& problem) = 0;
    // Rows selected in all, or -1 when not known beforehand.
    virtual int total() const = 0;
};

} // namespace cli
