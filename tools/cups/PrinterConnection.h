// Reaching the printer a device URI names, and the identity it reports about itself.
#pragma once

#include "DeviceUri.h"

#include <kalyxcomms/Comms.h>
#include <kalyxcomms/FailureReason.h>
#include <kalyxcomms/Printer.h>

#include <memory>
#include <string>
#include <vector>

namespace kalyxcups {

struct PrinterIdentity {
    std::string manufacturer;
    std::string model;
    std::string serial;
};

// Asks the printer for its identity. False when no usable answer came; true with a non-empty
// `refusal` when the printer answered with an error instead (a jam, an empty hopper...).
bool readIdentity(Orvane::Printer& printer, PrinterIdentity& identity, std::string& refusal);

struct UsbPrinter {
    std::string devicePath;
    PrinterIdentity identity;
};

// Every Kalyx printer on USB that answers, with the identity it reports.
std::vector<UsbPrinter> listUsbPrinters(const Orvane::Comms& comms);

struct Connection {
    // Absent: nothing there, busy, or silent (worth a retry). Garbled: something answers, but not
    // in the printer's framing, so the URI most likely names another device (no retry helps).
    enum class Outcome { Connected, Absent, Garbled, Refused };
    Outcome outcome = Outcome::Absent;
    std::unique_ptr<Orvane::Printer> printer;
    std::string where;   // for messages: the device path or HOST:PORT
    std::string refusal; // the printer's own text when it refused
    Orvane::FailureReason failure = Orvane::FailureReason::NotConnected; // when not connected
};

// Opens the printer and checks that it answers: on USB, the one whose serial number matches.
Connection connectPrinter(const Orvane::Comms& comms, const DeviceUri& uri);

} // namespace kalyxcups
