// Printing a batch exactly once: the options the batch command takes for it, and the run that
// sends each row's card to a pool of printers or a CUPS queue with the journal beside it.
#pragma once

#include "BatchCards.h"

#include <QCommandLineParser>
#include <QStringList>

namespace cli {

// Adds --tcp, --usb, --queue, --server, --journal, --confirm, --reprint, --reason,
// --allow-changed and --status to the batch command's parser.
void addBatchPrintingOptions(QCommandLineParser& parser);
// Options that take a value, for cli::attachUsbPath-like rewriting by the caller.
QStringList batchPrintingValueOptions();
// `--usb` may be followed by a device path: "--usb /dev/usb/lp0" becomes "--usb=/dev/usb/lp0",
// a bare "--usb" becomes "--usb=" (the first printer found).
QStringList attachUsbDevices(const QStringList& args);
// The batch is to be printed (a destination, or a confirmation or reprint to record).
bool batchPrintingAsked(const QCommandLineParser& parser);
// `--status JOURNAL` was given: prints the journal's history and returns the exit status.
bool batchStatusAsked(const QCommandLineParser& parser);
int runBatchStatus(const QCommandLineParser& parser);

struct BatchInputs {
    QString design;          // the design file
    QStringList designFiles; // the files it draws (pictures, fonts), for the journal's hashes
    QString data;            // the data file, "-" for standard input
    QStringList arguments;   // the command's arguments as given, for the command that resumes
};

// Prints the cards `cards` yields; returns the exit status (0 all printed, 1 some failed or
// uncertain, 2 usage, 3 every printer broke off, 130 interrupted).
int runBatchPrinting(const QCommandLineParser& parser, const BatchInputs& inputs,
                     BatchCardSource& cards);

} // namespace cli
