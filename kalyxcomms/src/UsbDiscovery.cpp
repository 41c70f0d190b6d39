#include "CommsImpl.h"
#include "platform/UsbDevice.h"
#include "transport/UsbSession.h"

#include <map>

namespace Orvane {

namespace {

// Family test on the interface identifier; case-sensitive, as the identifier is lower case.
bool isFamilyInterface(const std::string& interfaceId) {
    return interfaceId.find("vid_5e2a") != std::string::npos;
}

} // namespace

std::vector<UsbPrinterInfo> Comms::getUsbPrinterInfos() const {
    std::vector<UsbPrinterInfo> infos;
    for (const platform::UsbDeviceInterface& found : platform::listUsbPrinterInterfaces()) {
        if (!isFamilyInterface(found.interfaceId))
            continue;
        // Busy, gone or not ours to open: left out.
        const std::unique_ptr<Printer> printer = getUsbPrinter(found.devicePath);
        if (!printer)
            continue;
        std::map<std::string, std::string> ids{
            {"id-printer-serial", ""}, {"id-model-name", ""}, {"id-manufacturer", ""}};
        std::string err;
        if (!printer->readSettings(ids, err))
            continue;
        UsbPrinterInfo info;
        info.description = ids["id-manufacturer"] + " " + ids["id-model-name"] + " (" +
                           ids["id-printer-serial"] + ")";
        info.location = found.location;
        info.devicePath = found.devicePath;
        infos.push_back(std::move(info));
    }
    return infos;
}

std::unique_ptr<Printer> Comms::getUsbPrinter(const std::string& devicePath) const {
    // Also on an empty Comms the device is opened (and closed again) once.
    return CommsImpl::adopt(*this, std::make_unique<UsbSession>(devicePath));
}

} // namespace Orvane
