// A USB printer that only one program and its children can see: a umockdev testbed holding the
// sysfs entries of a Kalyx printer and a /dev/usb/lp0 node whose far end the simulator serves.
// The program runs under umockdev-wrapper, which shows it the testbed instead of the real /sys
// and /dev; the rest of the machine is unaffected.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct _UMockdevTestbed;

namespace kalyxsim {

class VirtualUsb {
public:
    static constexpr const char* devicePath = "/dev/usb/lp0";

    VirtualUsb() = default;
    ~VirtualUsb();
    VirtualUsb(const VirtualUsb&) = delete;
    VirtualUsb& operator=(const VirtualUsb&) = delete;

    // Creates the testbed with one printer whose sysfs `serial` attribute is `serial`.
    bool attach(const std::string& serial, std::string& problem);
    // The printer's end of the device node, non-blocking; ownership passes to the caller.
    int takePrinterEnd(std::string& problem);
    // Starts `command` under umockdev-wrapper with the testbed; returns its PID, or -1.
    pid_t run(const std::vector<std::string>& command, std::string& problem) const;

private:
    _UMockdevTestbed* bed_ = nullptr;
    // The host's end, held open so that the printer's end never reads as hung up while the
    // program has not opened the device yet (or has closed it between two prints).
    int hostEnd_ = -1;
};

} // namespace kalyxsim
