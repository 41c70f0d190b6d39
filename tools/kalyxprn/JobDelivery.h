// What writing a job to a printer tells, and what it does not.
#pragma once

#include <QString>

namespace cli {

// A printer takes a job without answering it: only the writing is known. `printerArgs` are the
// options that reach the same printer again ("--tcp HOST:PORT", "--usb PATH").
// `sent` is the first line ("sent N bytes to HOST:PORT").
void sayJobWritten(const QString& sent, const QString& printerArgs);

// The same for a command's help.
QString jobWrittenHelp();

} // namespace cli
