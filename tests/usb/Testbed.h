// umockdev pulls in GLib, whose headers must come before anything that defines `signals`.
#pragma once

#include <umockdev.h>

#include <string>
#include <vector>

// One fake USB printing-class device bound to usblp as /dev/usb/lp<number>.
struct FakeUsbDevice {
    int number = 0;
    std::string port = "1-2"; // USB port path, the device directory's name
    std::string vendorId = "5e2a";
    std::string productId = "0101";
    std::string serial = "SN0001";
};

// A device of the family with the given identity, at `port` ("1-<number>" when empty).
FakeUsbDevice fakeUsbDevice(int number, const std::string& serial, const std::string& port = {},
                            const std::string& vendorId = "5e2a");

// The process-wide testbed created in main().
UMockdevTestbed* testbed();

// Replaces every fake device by `devices`. umockdev cannot create a device node twice in one
// process, so each number may be used by one call only.
void setUsbDevices(const std::vector<FakeUsbDevice>& devices);

// A device number that no call has used yet.
int unusedDeviceNumber();

// The printer's end of /dev/usb/lp<number> (never to be closed).
int printerEnd(int number);

// Reads and drops whatever the printer's end holds.
void drainPrinterEnd(int fd);

// setUsbDevices(), then every printer's end drained.
void attachUsbDevices(const std::vector<FakeUsbDevice>& devices);
