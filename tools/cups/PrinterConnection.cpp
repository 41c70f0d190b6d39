#include "PrinterConnection.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <map>

namespace kalyxcups {

bool readIdentity(Orvane::Printer& printer, PrinterIdentity& identity, std::string& refusal) {
    std::map<std::string, std::string> settings = {
        {"id-manufacturer", ""}, {"id-model-name", ""}, {"id-printer-serial", ""}};
    if (!printer.readSettings(settings, refusal))
        return false;
    identity.manufacturer = settings["id-manufacturer"];
    identity.model = settings["id-model-name"];
    identity.serial = settings["id-printer-serial"];
    return true;
}

std::vector<UsbPrinter> listUsbPrinters(const Orvane::Comms& comms) {
    std::vector<UsbPrinter> found;
    for (const Orvane::UsbPrinterInfo& info : comms.getUsbPrinterInfos()) {
        // Discovery closes each device again; one more exchange gives the identity in parts.
        const std::unique_ptr<Orvane::Printer> printer = comms.getUsbPrinter(info.devicePath);
        UsbPrinter entry{info.devicePath, {}};
        std::string refusal;
        if (printer && readIdentity(*printer, entry.identity, refusal) &&
            !entry.identity.serial.empty())
            found.push_back(std::move(entry));
    }
    return found;
}

namespace {

// The library takes dotted IPv4 text; a host name is resolved here, IPv4 only.
bool resolveIPv4(const std::string& host, std::string& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &result) != 0 || !result)
        return false;
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(result->ai_addr);
    const bool ok = ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text) != nullptr;
    ::freeaddrinfo(result);
    address = text;
    return ok;
}

Connection checked(std::unique_ptr<Orvane::Printer> printer, std::string where) {
    Connection connection;
    connection.where = std::move(where);
    PrinterIdentity identity;
    if (!printer)
        return connection;
    if (!readIdentity(*printer, identity, connection.refusal)) {
        connection.failure = printer->lastFailure();
        if (connection.failure == Orvane::FailureReason::MalformedFrame ||
            connection.failure == Orvane::FailureReason::OversizedAnswer)
            connection.outcome = Connection::Outcome::Garbled;
        return connection;
    }
    connection.outcome =
        connection.refusal.empty() ? Connection::Outcome::Connected : Connection::Outcome::Refused;
    connection.printer = std::move(printer);
    return connection;
}

} // namespace

Connection connectPrinter(const Orvane::Comms& comms, const DeviceUri& uri) {
    if (uri.kind == DeviceUri::Kind::Tcp) {
        const std::string where = uri.host + ":" + std::to_string(uri.port);
        std::string address;
        if (!resolveIPv4(uri.host, address))
            return checked(nullptr, where);
        return checked(comms.getEthernetPrinter(address, static_cast<Orvane::Port>(uri.port)),
                       where);
    }
    for (const Orvane::UsbPrinterInfo& info : comms.getUsbPrinterInfos()) {
        std::unique_ptr<Orvane::Printer> printer = comms.getUsbPrinter(info.devicePath);
        PrinterIdentity identity;
        std::string refusal;
        if (printer && readIdentity(*printer, identity, refusal) && identity.serial == uri.serial)
            return checked(std::move(printer), info.devicePath);
    }
    Connection absent;
    absent.where = "USB serial " + uri.serial;
    return absent;
}

} // namespace kalyxcups
