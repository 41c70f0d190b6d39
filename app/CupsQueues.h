// CUPS queues that print to Kalyx printers (their device is a kalyx:// address). Without CUPS
// (Windows) there are none and nothing can be sent.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

struct CupsQueue {
    QString name;
    QString deviceUri;
};

// Blocks while the scheduler answers: call it from an exchange's worker thread.
std::vector<CupsQueue> kalyxCupsQueues();

// Hands the job to the queue as `lp` would; the job id on success, 0 with a reason otherwise.
int submitToCupsQueue(const QString& queue, const QByteArray& job, const QString& title,
                      QString& reason);
