// Runs the built kalyxprn as a child process and collects what it printed.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kalyxtest {

struct Result {
    int status = -1; // -1: did not finish in time (then killed) or died of a signal
    QString out;
    QString err;
};

Result kalyxprn(const QStringList& args);

// Path of the kalyxprn binary (set by the build).
const char* kalyxprnPath();

struct RunOptions {
    QByteArray input;         // standard input (closed after it)
    qint64 fileSizeLimit = 0; // most bytes any file written may hold, as on a full disk; 0: none
                              // (POSIX only)
    QString workingDirectory; // the program's current folder; empty: the test's
    QString outputFile;       // a file standard output goes to (not collected); empty: collected
};
Result kalyxprn(const QStringList& args, const RunOptions& options);

// As above with stderr attached to a terminal; `terminal` receives what was written there
// (POSIX only).
Result kalyxprnOnTerminal(const QStringList& args, QByteArray& terminal);

} // namespace kalyxtest
