// Reaching the chosen printer. Everything here blocks and runs on an exchange's worker thread.
#pragma once

#include "PrinterChoice.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace Orvane {
class Comms;
class Printer;
} // namespace Orvane

// Opens a USB printer by its device node; tests put a stand-in in place of the library's.
using UsbPrinterOpener =
    std::function<std::unique_ptr<Orvane::Printer>(const Orvane::Comms&, const std::string&)>;

struct OpenedPrinter {
    std::unique_ptr<Orvane::Printer> printer;
    // Where it went, for the status line: "USB printer ...", "network printer HOST:PORT".
    QString where;
};

// Empty printer when it cannot be reached; a queue is no printer to talk to.
OpenedPrinter openChosenPrinter(const Orvane::Comms& comms, const PrinterChoice& choice,
                                const UsbPrinterOpener& openUsb);

// Writes the job unframed in slices, so `progress` (thousandths) follows what the printer took.
bool writeJobInSlices(Orvane::Printer& printer, const QByteArray& job, std::atomic<int>& progress);
