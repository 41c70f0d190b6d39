// Present interfaces of the USB printing class, as SetupAPI lists them. Each structure's size
// field is its sizeof: the sizes differ between 32- and 64-bit builds, and SetupAPI refuses any
// other value.

#include "platform/UsbDevice.h"

#include <windows.h>

#include <setupapi.h>
#include <winioctl.h>
// Defines GUID_DEVINTERFACE_USBPRINT here instead of only declaring it.
#include <initguid.h>
#include <usbprint.h>

#include <new>

namespace Orvane {
namespace platform {
namespace {

// First string of the device's location paths (a REG_MULTI_SZ); empty when it has none.
std::string locationOf(HDEVINFO set, SP_DEVINFO_DATA& device) {
    char text[2048];
    text[0] = '\0';
    if (!::SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_LOCATION_PATHS, nullptr,
                                             reinterpret_cast<BYTE*>(text), sizeof text - 1,
                                             nullptr))
        return {};
    text[sizeof text - 1] = '\0';
    return text;
}

} // namespace

std::vector<UsbDeviceInterface> listUsbPrinterInterfaces() {
    std::vector<UsbDeviceInterface> interfaces;
    const HDEVINFO set = ::SetupDiGetClassDevsA(&GUID_DEVINTERFACE_USBPRINT, nullptr, nullptr,
                                                DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE)
        return interfaces;

    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA entry{};
        entry.cbSize = sizeof entry;
        if (!::SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USBPRINT, index,
                                           &entry))
            break;

        DWORD needed = 0;
        ::SetupDiGetDeviceInterfaceDetailA(set, &entry, nullptr, 0, &needed, nullptr);
        if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))
            continue;
        // Zero-filled, so the path is terminated however short the answer.
        std::unique_ptr<char[]> storage(new (std::nothrow) char[needed + 1]());
        if (!storage)
            continue;
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.get());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!::SetupDiGetDeviceInterfaceDetailA(set, &entry, detail, needed, nullptr, &device))
            break;

        UsbDeviceInterface found;
        found.devicePath = detail->DevicePath;
        // The interface path itself names the vendor ("\\?\usb#vid_5e2a&pid_...").
        found.interfaceId = found.devicePath;
        found.location = locationOf(set, device);
        interfaces.push_back(std::move(found));
    }
    ::SetupDiDestroyDeviceInfoList(set);
    return interfaces;
}

} // namespace platform
} // namespace Orvane
