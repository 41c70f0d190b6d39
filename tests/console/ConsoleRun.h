// Runs the built kalyxprn as a child process and collects what it printed.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace console {

struct Result {
    int status = -1; // -1: did not finish in time (then killed) or died of a signal
    QString out;
    QString err;
};

Result kalyxprn(const QStringList& args);

// As above with stderr attached to a terminal; `terminal` receives what was written there.
Result kalyxprnOnTerminal(const QStringList& args, QByteArray& terminal);

QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);

// Waits (bounded) until the file exists with at least `size` bytes; returns its contents.
QByteArray waitForFile(const QString& path, qint64 size);

} // namespace console
