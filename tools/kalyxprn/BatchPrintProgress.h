// What a batch shows while it prints: on a terminal one line that is redrawn (done/total, what
// each printer does, rate, time left); otherwise one line per card, for logs and scripts; or,
// for a program that watches the batch, one JSON object per line and event.
#pragma once

#include "BatchCards.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <mutex>
#include <vector>

namespace cli {

class BatchPrintProgress {
public:
    enum class Style { Lines, Terminal, Json };
    // `printers` names the destinations; `total` counts the cards to print (-1: unknown).
    BatchPrintProgress(const QStringList& printers, int total, Style style);

    void started(int printer, const BatchCard& card);
    // `state` is sent, completed, failed or uncertain; `reason` says why for the last two.
    // A card that goes to another printer (`retried`) is not done yet.
    void finished(int printer, const BatchCard& card, const QString& state, const QString& reason,
                  bool printed, bool retried = false);
    // A card that is not sent in this run: printed before (`skipped`) or refused for its problems.
    void passed(const BatchCard& card, bool skipped);
    void printerLeft(int printer, const QString& reason);
    // Ends the redrawn line before other output.
    void close();

    static QString label(const BatchCard& card);
    static bool stdoutIsTerminal();

private:
    void draw();
    void emitJson(QJsonObject event, const BatchCard* card);

    std::mutex mutex_;
    QStringList printers_;
    std::vector<QString> doing_;
    int total_;
    int done_ = 0;
    int printed_ = 0;
    Style style_;
    bool drawn_ = false;
    QElapsedTimer clock_;
};

} // namespace cli
