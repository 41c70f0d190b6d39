// Printing-class interfaces bound to the usblp driver, read straight from sysfs: each appears as
// /sys/class/usbmisc/lpN, whose "device" is the USB interface and whose parent is the USB device.

#include "platform/UsbDevice.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace Orvane {
namespace platform {
namespace {

const std::string classDir = "/sys/class/usbmisc";

// Contents of a small sysfs file without its trailing line break; empty when unreadable.
std::string readAttribute(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string text;
    char chunk[1024];
    ssize_t n;
    while (text.size() < 16384 && (n = ::read(fd, chunk, sizeof chunk)) > 0)
        text.append(chunk, static_cast<std::size_t>(n));
    ::close(fd);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

// The number N of a usblp class device "lpN"; -1 for other usbmisc devices.
long lpNumber(const char* name) {
    if (name[0] != 'l' || name[1] != 'p' || name[2] == '\0')
        return -1;
    long n = 0;
    for (const char* c = name + 2; *c; ++c) {
        if (*c < '0' || *c > '9' || n > 100000000)
            return -1;
        n = n * 10 + (*c - '0');
    }
    return n;
}

// The device node named by the DEVNAME line of a class device's uevent ("usb/lp0").
std::string deviceNode(const std::string& classDevice, const std::string& name) {
    const std::string uevent = readAttribute(classDevice + "/uevent");
    std::size_t at = 0;
    while (at < uevent.size()) {
        std::size_t end = uevent.find('\n', at);
        if (end == std::string::npos)
            end = uevent.size();
        const std::string line = uevent.substr(at, end - at);
        if (line.compare(0, 8, "DEVNAME=") == 0 && line.size() > 8) {
            const std::string devName = line.substr(8);
            return devName[0] == '/' ? devName : "/dev/" + devName;
        }
        at = end + 1;
    }
    // Without udev's help the kernel's own naming still holds.
    return "/dev/usb/" + name;
}

} // namespace

std::vector<UsbDeviceInterface> listUsbPrinterInterfaces() {
    std::vector<std::pair<long, std::string>> names;
    if (DIR* dir = ::opendir(classDir.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const long n = lpNumber(entry->d_name);
            if (n >= 0)
                names.emplace_back(n, entry->d_name);
        }
        ::closedir(dir);
    }
    // Directory order is arbitrary, and a text sort would put lp10 before lp2.
    std::sort(names.begin(), names.end());

    std::vector<UsbDeviceInterface> interfaces;
    for (const auto& [number, name] : names) {
        (void)number;
        const std::string classDevice = classDir + "/" + name;
        UsbDeviceInterface info;
        info.devicePath = deviceNode(classDevice, name);
        if (char* usbDevice = ::realpath((classDevice + "/device/..").c_str(), nullptr)) {
            const std::string dir = usbDevice;
            std::free(usbDevice);
            info.location = dir.substr(dir.rfind('/') + 1);
            info.interfaceId = "usb#vid_" + readAttribute(dir + "/idVendor") + "&pid_" +
                               readAttribute(dir + "/idProduct") + "#" +
                               readAttribute(dir + "/serial");
        }
        interfaces.push_back(std::move(info));
    }
    return interfaces;
}

} // namespace platform
} // namespace Orvane
