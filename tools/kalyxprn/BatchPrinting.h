// Printing a batch exactly once: the options the batch command takes for it, and the run that
// sends each row's card to a pool of printers or a CUPS queue with the journal beside it.
#pragma once

#include "BatchCards.h"

#include <QCommandLineParser>
#include <QStringList>

namespace cli {

// Adds --tcp, --usb, --queue, --server, --journal, --confirm, --reprint, --reason,
// --allow-changed, --status, --progress-json and --stop-on-input to the batch command's parser.
void addBatchPrintingOptions(QCommandLineParser& parser);
// `--usb` may be followed by a device path: "--usb /dev/usb/lp0" becomes "--usb=/dev/usb/lp0",
// a bare "--usb" becomes "--usb=" (the first printer found).
QStringList attachUsbDevices(const QStringList& args);

struct BatchPrintOptions {
    QStringList tcp, usb, queues; // destinations (an empty --usb: the first printer found)
    QString server;               // the CUPS scheduler, empty for CUPS_SERVER or the default
    QString journal;              // empty: DATA.journal
    QStringList confirms;         // KEY=printed|reprint
    QStringList reprints;         // keys printed again on purpose, for `reason`
    QString reason;
    bool allowChanged = false;
    QString status;            // --status JOURNAL: only show what the journal says
    bool progressJson = false; // one JSON object per line and event on standard output
    bool stopOnInput = false;  // "stop" or the end of standard input stops as Ctrl+C does

    // The batch is to be printed (a destination, or a confirmation or reprint to record).
    bool asked() const;
};
BatchPrintOptions batchPrintOptions(const QCommandLineParser& parser);

// Prints the history in the journal at `path` (as one JSON object with `json`); the exit status.
int runBatchStatus(const QString& path, bool json);

struct BatchInputs {
    QString design;          // the design file
    QStringList designFiles; // the files it draws (pictures, fonts), for the journal's hashes
    QString data;            // the data file, "-" for standard input
    QStringList arguments;   // the command's arguments as given, for the command that resumes
    QString rows;            // the --rows list, empty for every row (kept in the journal)
};

// The same, read from a parser that has the options of addBatchPrintingOptions (and --json).
bool batchPrintingAsked(const QCommandLineParser& parser);
bool batchStatusAsked(const QCommandLineParser& parser);
int runBatchStatus(const QCommandLineParser& parser);
int runBatchPrinting(const QCommandLineParser& parser, const BatchInputs& inputs,
                     BatchCardSource& cards);

// Prints the cards `cards` yields; returns the exit status (0 all printed, 1 some failed or
// uncertain, 2 usage, 3 every printer broke off, 130 interrupted).
int runBatchPrinting(const BatchPrintOptions& options, const BatchInputs& inputs,
                     BatchCardSource& cards);

} // namespace cli
