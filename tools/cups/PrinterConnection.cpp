#include "PrinterConnection.h"

#include <HostAddress.h>

namespace kalyxcups {

namespace {

using Verdict = kalyxcheck::PeerState::Verdict;

// A printer that answers with its identity, in an error state or not.
bool answersAsPrinter(const kalyxcheck::PeerState& state) {
    return (state.verdict == Verdict::Ready || state.verdict == Verdict::Error) &&
           !state.identity.serial.empty();
}

} // namespace

std::vector<UsbPrinter> listUsbPrinters(const Orvane::Comms& comms) {
    std::vector<UsbPrinter> found;
    for (const Orvane::UsbPrinterInfo& info : comms.getUsbPrinterInfos()) {
        // Discovery closes each device again; one more exchange gives the identity in parts.
        const std::unique_ptr<Orvane::Printer> printer = comms.getUsbPrinter(info.devicePath);
        if (!printer)
            continue;
        const kalyxcheck::PeerState state = kalyxcheck::askPrinter(*printer);
        if (answersAsPrinter(state))
            found.push_back({info.devicePath, state.identity});
    }
    return found;
}

namespace {

Connection checked(std::unique_ptr<Orvane::Printer> printer, std::string where) {
    Connection connection;
    connection.where = std::move(where);
    if (!printer)
        return connection;
    const kalyxcheck::PeerState state = kalyxcheck::askPrinter(*printer);
    connection.failure = state.failure;
    switch (state.verdict) {
    case Verdict::NoAnswer:
        return connection;
    case Verdict::NotAPrinter:
        connection.outcome = Connection::Outcome::Garbled;
        connection.notAPrinterWhy = kalyxcheck::notAPrinterReason(state);
        return connection;
    case Verdict::Error:
        connection.outcome = Connection::Outcome::Refused;
        connection.refusal = state.printerText;
        break;
    case Verdict::Ready:
        connection.outcome = Connection::Outcome::Connected;
        break;
    }
    connection.printer = std::move(printer);
    return connection;
}

} // namespace

Connection connectPrinter(const Orvane::Comms& comms, const DeviceUri& uri) {
    if (uri.kind == DeviceUri::Kind::Tcp) {
        const std::string where = uri.host + ":" + std::to_string(uri.port);
        std::string address;
        if (!kalyxcheck::toDottedIPv4(uri.host, address))
            return checked(nullptr, where);
        return checked(comms.getEthernetPrinter(address, static_cast<Orvane::Port>(uri.port)),
                       where);
    }
    for (const Orvane::UsbPrinterInfo& info : comms.getUsbPrinterInfos()) {
        std::unique_ptr<Orvane::Printer> printer = comms.getUsbPrinter(info.devicePath);
        if (!printer)
            continue;
        const kalyxcheck::PeerState state = kalyxcheck::askPrinter(*printer);
        if (answersAsPrinter(state) && state.identity.serial == uri.serial)
            return checked(std::move(printer), info.devicePath);
    }
    Connection absent;
    absent.where = "USB serial " + uri.serial;
    return absent;
}

} // namespace kalyxcups
