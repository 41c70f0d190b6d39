#include "Testbed.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include <poll.h>
#include <unistd.h>

namespace {
UMockdevTestbed* bed = nullptr;
std::set<int> usedNumbers;
// sysfs paths added, children after parents.
std::vector<std::string> added;
} // namespace

FakeUsbDevice fakeUsbDevice(int number, const std::string& serial, const std::string& port,
                            const std::string& vendorId) {
    FakeUsbDevice d;
    d.number = number;
    d.port = port.empty() ? "1-" + std::to_string(number) : port;
    d.serial = serial;
    d.vendorId = vendorId;
    return d;
}

UMockdevTestbed* testbed() {
    return bed;
}

void setUsbDevices(const std::vector<FakeUsbDevice>& devices) {
    // umockdev_testbed_clear() would also break the nodes added after it.
    for (auto it = added.rbegin(); it != added.rend(); ++it)
        umockdev_testbed_remove_device(bed, it->c_str());
    added.clear();
    for (const FakeUsbDevice& d : devices) {
        if (!usedNumbers.insert(d.number).second) {
            ADD_FAILURE() << "lp" << d.number << " was already used by an earlier test";
            continue;
        }
        const std::string usb = "/devices/pci0000:00/0000:00:14.0/usb1/" + d.port;
        const std::string intf = d.port + ":1.0";
        const std::string n = std::to_string(d.number);
        const std::string text =
            "P: " + usb +
            "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n"
            "A: idVendor=" +
            d.vendorId + "\nA: idProduct=" + d.productId + "\nA: serial=" + d.serial +
            "\n\n"
            "P: " +
            usb + "/" + intf +
            "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n"
            "A: bInterfaceClass=07\nA: bInterfaceSubClass=01\n"
            "A: bInterfaceProtocol=02\n\n"
            "P: " +
            usb + "/" + intf + "/usbmisc/lp" + n + "\nL: device=../../../" + intf + "\nN: usb/lp" +
            n + "\nE: SUBSYSTEM=usbmisc\nE: DEVNAME=usb/lp" + n + "\nE: MAJOR=180\nE: MINOR=" + n +
            "\nA: dev=180:" + n + "\n";
        GError* error = nullptr;
        if (!umockdev_testbed_add_from_string(bed, text.c_str(), &error)) {
            ADD_FAILURE() << "umockdev refused device lp" << n << ": " << error->message;
            g_error_free(error);
            continue;
        }
        for (const std::string& path :
             {usb, usb + "/" + intf, usb + "/" + intf + "/usbmisc/lp" + n})
            added.push_back("/sys" + path);
    }
}

int unusedDeviceNumber() {
    int n = 100;
    while (usedNumbers.count(n))
        ++n;
    return n;
}

int printerEnd(int number) {
    return umockdev_testbed_get_dev_fd(bed, ("/dev/usb/lp" + std::to_string(number)).c_str());
}

void drainPrinterEnd(int fd) {
    char scratch[65536];
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN) &&
           ::read(fd, scratch, sizeof scratch) > 0) {
    }
}

void attachUsbDevices(const std::vector<FakeUsbDevice>& devices) {
    setUsbDevices(devices);
    for (const FakeUsbDevice& d : devices)
        drainPrinterEnd(printerEnd(d.number));
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    bed = umockdev_testbed_new();
    // Only true once a testbed exists, and only under umockdev-wrapper.
    if (!umockdev_in_mock_environment()) {
        std::fprintf(stderr, "usb_test must run under umockdev-wrapper\n");
        g_object_unref(bed);
        return 1;
    }
    const int rc = RUN_ALL_TESTS();
    g_object_unref(bed);
    return rc;
}
