// Loading job files as the window does, with the load's messages on stderr.
#pragma once

#include <kalyxdocument/KlxPrnHolder.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace cli {

struct LoadedJob {
    std::unique_ptr<KlxPrnHolder> holder;
    QStringList messages; // the load's messages in order, then why it stopped silently
};

LoadedJob loadJob(const QString& file);

// Loads a job that a command needs valid; reports on stderr and returns null otherwise.
std::unique_ptr<KlxPrnHolder> loadValidJob(const QString& command, const QString& file);

// The bytes the window's Print would send for a valid job file. A job that printers would drop
// (KlxPrnHolder::problemForPrinting) is refused, or with `force` only warned of.
bool readJob(const QString& command, const QString& path, bool force, QByteArray& job);

} // namespace cli
