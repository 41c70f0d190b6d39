// Reaching a printer from the command line: the --usb, --tcp and --file targets shared by the
// printer commands, and what a failed call of a printer prints and exits with.
#pragma once

#include "Command.h"

#include <kalyxcomms/Comms.h>
#include <kalyxcomms/FailureReason.h>
#include <kalyxcomms/Printer.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

// The exchange broke off (no answer or no progress in time, the connection lost, a broken
// answer): the printer may or may not have acted.
constexpr int ExitNoAnswer = 3;

namespace cli {

// The library's write time-out of every call, in milliseconds.
constexpr int defaultWriteTimeoutMs = int(Orvane::TakeTimeoutMs);

// The exit status of a printer call that failed for `reason`: ExitFailure when the printer
// refused or could not be used at all, ExitNoAnswer when the exchange broke off.
int exitStatusFor(Orvane::FailureReason reason);

// The time-outs a call ran with, for saying which one expired.
struct Waits {
    int answerMs = int(Orvane::AnswerTimeoutMs);
    int takeMs = defaultWriteTimeoutMs;
};
// `reason` in words for the user; `usb` tells a device that went away from a closed connection.
QString failureWords(Orvane::FailureReason reason, const Waits& waits, bool usb);
// "7 s", "300 ms".
QString durationWords(int milliseconds);
// Parses the value of a --timeout option (1 ms to 24 h); reports a usage error otherwise.
bool parseTimeout(const QString& command, const QString& text, int& milliseconds);

struct TcpAddress {
    std::string host; // dotted IPv4
    Orvane::Port port = Orvane::DefaultPort;
};

// "HOST[:PORT]": a dotted IPv4 address or a name that resolves to one; the port defaults to
// 9100. On bad text, reports a usage error of `command` and returns false.
bool parseTcpAddress(const QString& command, const QString& text, TcpAddress& address);

// `--usb` takes an optional PATH, which QCommandLineParser cannot express: rewrites "--usb"
// into "--usb=PATH" when the next argument is a path that the command does not need as one of
// its `positionals` arguments, and into "--usb=" otherwise. `valueOptions` names the options
// (without dashes) that take a value, so their values are not counted as positionals.
QStringList attachUsbPath(const QStringList& args, const QStringList& valueOptions,
                          int positionals);

struct OpenedPrinter {
    std::unique_ptr<Orvane::Printer> printer;
    QString name; // for messages: the device path, HOST:PORT or the file
    bool usb = false;
    bool file = false;
    Waits waits;
};

// Opens the printer on a USB device path; an empty path takes the first printer discovered.
// Reports on stderr and returns an empty printer on failure.
OpenedPrinter openUsbPrinter(const Orvane::Comms& comms, const QString& command,
                             const QString& path);
OpenedPrinter openTcpPrinter(const Orvane::Comms& comms, const QString& command,
                             const TcpAddress& address);
OpenedPrinter openFilePrinter(const Orvane::Comms& comms, const QString& command,
                              const QString& path);

// A printer that cannot reach anything; composes jobs into memory.
std::unique_ptr<Orvane::Printer> offlinePrinter();

// Raw write of a whole job (writeJobBytes), then the close that tells whether the printer took
// all of it (closeJob). With `progress`, writes in slices and draws a bar on stderr. `taken` is
// how many bytes the printer took.
bool writeJob(Orvane::Printer& printer, const QByteArray& job, bool progress, qint64& taken);
bool writeJobBytes(Orvane::Printer& printer, const QByteArray& job, bool progress, qint64& taken);
bool closeJob(Orvane::Printer& printer, qint64 total, qint64& taken);
// Reports on stderr that `target` did not get its job, and why; returns the exit status.
// `taken` of `total` bytes arrived (not said when negative).
int reportSendFailure(const QString& command, const OpenedPrinter& target, qint64 taken = -1,
                      qint64 total = -1);
// A progress bar is worth drawing: stderr is a terminal and the job is larger than 1 MiB.
bool wantsProgress(qint64 size);

// Reads a whole file of at most `limit` bytes; reports on stderr and returns false otherwise.
bool readInputFile(const QString& command, const QString& path, qint64 limit, QByteArray& bytes);

} // namespace cli
