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

// As above with stderr attached to a terminal; `terminal` receives what was written there.
Result kalyxprnOnTerminal(const QStringList& args, QByteArray& terminal);

} // namespace kalyxtest
