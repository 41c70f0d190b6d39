#pragma once

#include <kalyxcomms/Export.h>
#include <kalyxcomms/Printer.h>
#include <kalyxcomms/Types.h>

#include <memory>
#include <string>
#include <vector>

namespace Orvane {

struct UsbPrinterInfo {
    // "<id-manufacturer> <id-model-name> (<id-printer-serial>)" as the printer reports them.
    std::string description;
    // USB port path of the device, for example "1-3.1"; empty when unknown.
    std::string location;
    // Accepted by Comms::getUsbPrinter.
    std::string devicePath;
};

class CommsImpl;

// Entry object of the library. Factories return an empty pointer on any failure, and always once
// this object has been moved from.
class KALYXCOMMS_EXPORT Comms {
public:
    Comms();
    Comms(Comms&& other) noexcept;
    Comms& operator=(Comms&& other) noexcept;
    virtual ~Comms();

    Comms(const Comms&) = delete;
    Comms& operator=(const Comms&) = delete;

    // Every attached printer of the family that answers a settings request, in device order.
    std::vector<UsbPrinterInfo> getUsbPrinterInfos() const;
    std::unique_ptr<Printer> getUsbPrinter(const std::string& devicePath) const;
    // `address` is dotted IPv4 text; host names are not resolved.
    std::unique_ptr<Printer> getEthernetPrinter(const std::string& address, Port port) const;
    // Creates or truncates the file; the printer can write but never reads an answer.
    std::unique_ptr<Printer> getFilePrinter(const std::string& path) const;

private:
    friend class CommsImpl;
    std::unique_ptr<CommsImpl> impl;
};

} // namespace Orvane
