// The device URIs of the kalyx backend: kalyx://usb/SERIAL names a USB printer by its serial
// number, so the queue survives re-plugging and a changed /dev/usb/lpN; kalyx://tcp/HOST:PORT
// names a printer on the network (port 9100 when left out).
#pragma once

#include <cstdint>
#include <string>

namespace kalyxcups {

struct DeviceUri {
    enum class Kind { Usb, Tcp };
    Kind kind = Kind::Usb;
    std::string serial; // USB, decoded
    std::string host;   // TCP
    std::uint16_t port = 9100;
};

// False on anything but the two forms above (an empty serial or host, a bad port, a query).
bool parseDeviceUri(const std::string& text, DeviceUri& uri);

std::string usbDeviceUri(const std::string& serial);

} // namespace kalyxcups
