#include "DeviceListing.h"

#include "DeviceUri.h"
#include "PrinterConnection.h"

#include <cstdio>
#include <string>

namespace kalyxcups {

namespace {

// Texts the printer reports go between double quotes, and into an IEEE 1284 device id whose
// fields end at ';' and ':'.
std::string quotable(std::string text) {
    for (char& c : text)
        if (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    return text;
}

std::string idField(std::string text) {
    for (char& c : text)
        if (c == ';' || c == ':')
            c = ' ';
    return quotable(text);
}

} // namespace

int listDevices() {
    const Orvane::Comms comms;
    for (const UsbPrinter& printer : listUsbPrinters(comms)) {
        const PrinterIdentity& id = printer.identity;
        const std::string makeModel = quotable(id.manufacturer + " " + id.model);
        const std::string deviceId = "MFG:" + idField(id.manufacturer) +
                                     ";MDL:" + idField(id.model) +
                                     ";CMD:KALYX-PRN;CLS:PRINTER;SN:" + idField(id.serial) + ";";
        std::printf("direct %s \"%s\" \"%s (USB %s)\" \"%s\" \"\"\n",
                    usbDeviceUri(id.serial).c_str(), makeModel.c_str(), makeModel.c_str(),
                    quotable(id.serial).c_str(), deviceId.c_str());
    }
    // Network printers are not searched for; this line lets a dialog offer the scheme.
    std::printf("network kalyx \"Unknown\" \"Kalyx card printer on the network "
                "(kalyx://tcp/HOST:PORT)\"\n");
    std::fflush(stdout);
    return 0;
}

} // namespace kalyxcups
