// What a batch shows while it prints: on a terminal one line that is redrawn (done/total, what
// each printer does, rate, time left); otherwise one line per card, for logs and scripts.
#pragma once

#include "BatchCards.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <mutex>
#include <vector>

namespace cli {

class BatchPrintProgress {
public:
    // `printers` names the destinations; `total` counts the cards to print (-1: unknown).
    BatchPrintProgress(const QStringList& printers, int total, bool terminal);

    void started(int printer, const BatchCard& card);
    // `outcome` in words: "sent", "completed", "failed: REASON", "uncertain: REASON".
    void finished(int printer, const BatchCard& card, const QString& outcome, bool printed);
    void printerLeft(int printer, const QString& reason);
    // Ends the redrawn line before other output.
    void close();

    static QString label(const BatchCard& card);
    static bool stdoutIsTerminal();

private:
    void draw();

    std::mutex mutex_;
    QStringList printers_;
    std::vector<QString> doing_;
    int total_;
    int done_ = 0;
    int printed_ = 0;
    bool terminal_;
    bool drawn_ = false;
    QElapsedTimer clock_;
};

} // namespace cli
