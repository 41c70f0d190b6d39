// A USB printing-class device staged in the wine prefix for discovery tests: a device node and
// its printing interface registered with SetupAPI and marked present (as a driver would), and
// the interface path aliased to a pipe that the test serves. Removed again on destruction.
#pragma once

#include <windows.h>

#include <setupapi.h>

#include <string>

namespace wintest {

class StagedUsbPrinter {
public:
    // `instance` is the device instance id, for example "USB\\VID_5E2A&PID_0001\\SN1".
    // `pipePath` ("\\.\pipe\...") is where opening the interface path leads; empty: nowhere,
    // so the device is listed but cannot be opened.
    StagedUsbPrinter(const std::string& instance, const std::string& pipePath);
    ~StagedUsbPrinter();
    StagedUsbPrinter(const StagedUsbPrinter&) = delete;
    StagedUsbPrinter& operator=(const StagedUsbPrinter&) = delete;

    bool ok() const { return !interfacePath_.empty() && problem_.empty(); }
    const std::string& problem() const { return problem_; }
    // "\\?\usb#vid_5e2a&pid_0001#sn1#{28d78fad-...}", as discovery reports it.
    const std::string& interfacePath() const { return interfacePath_; }

private:
    bool fail(const std::string& step);
    std::string controlKey() const;

    HDEVINFO set_ = INVALID_HANDLE_VALUE;
    SP_DEVINFO_DATA device_{};
    SP_DEVICE_INTERFACE_DATA interface_{};
    std::string interfacePath_;
    HANDLE link_ = nullptr;
    std::string problem_;
};

} // namespace wintest
