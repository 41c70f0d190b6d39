// Reaching the printer a device URI names, and the identity it reports about itself.
#pragma once

#include "DeviceUri.h"

#include <PrinterCheck.h>

#include <kalyxcomms/Comms.h>
#include <kalyxcomms/FailureReason.h>
#include <kalyxcomms/Printer.h>

#include <memory>
#include <string>
#include <vector>

namespace kalyxcups {

using kalyxcheck::PrinterIdentity;

struct UsbPrinter {
    std::string devicePath;
    PrinterIdentity identity;
};

// Every Kalyx printer on USB that answers, with the identity it reports.
std::vector<UsbPrinter> listUsbPrinters(const Orvane::Comms& comms);

struct Connection {
    // Absent: nothing there, busy, or silent (worth a retry). Garbled: something answers, but not
    // as a printer (not in its framing, or without a printer's identity), so the URI most likely
    // names another device (no retry helps).
    enum class Outcome { Connected, Absent, Garbled, Refused };
    Outcome outcome = Outcome::Absent;
    std::unique_ptr<Orvane::Printer> printer;
    std::string where;          // for messages: the device path or HOST:PORT
    std::string refusal;        // the printer's own text when it refused
    std::string notAPrinterWhy; // when Garbled
    Orvane::FailureReason failure = Orvane::FailureReason::NotConnected; // when not connected
};

// Opens the printer and checks that it answers: on USB, the one whose serial number matches.
Connection connectPrinter(const Orvane::Comms& comms, const DeviceUri& uri);

} // namespace kalyxcups
