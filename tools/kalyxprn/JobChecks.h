// Printers do not answer card jobs, so `send` and `compose --tcp/--usb` ask, with the checks the
// CUPS backend runs too (PrinterCheck.h): before the job, whether the peer is a printer and ready;
// after it, on the same connection, whether it now reports an error (a jam, no cards left).
#pragma once

#include "PrinterTarget.h"

#include <PrinterCheck.h>

#include <QString>

namespace cli {

// Each says on stderr why the job must not go, or may not have printed, and returns the exit
// status; ExitSuccess when all is well. A file target is never asked.
int checkBeforeJob(const QString& command, const OpenedPrinter& target);
int checkAfterJob(const QString& command, const OpenedPrinter& target);

// False when the peer answers, but not as a printer does (asked when an answer held nothing).
bool answersAsPrinter(Orvane::Printer& printer);

// "kalyxprn COMMAND: the device at NAME does not answer like a Kalyx printer (WHY); check the
// address", WHY from what the peer sent (`state`).
QString notAPrinter(const QString& command, const OpenedPrinter& target,
                    const kalyxcheck::PeerState& state);

} // namespace cli
