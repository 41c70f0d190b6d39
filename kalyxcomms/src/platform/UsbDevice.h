#pragma once

#include "platform/CancelSignal.h"
#include "platform/Transfer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Orvane {
namespace platform {

// An open USB printing-class device. Each back end (one file per operating system under
// platform/<system>/) provides open() and listUsbPrinterInterfaces(); UsbSession builds the
// read-ahead, chunking and time-out rules on top, the same for every system.
class UsbDevice {
public:
    virtual ~UsbDevice() = default;

    // Opens the device for reading and writing without blocking, and holds it alone until
    // destroyed; empty when the path names no device or another process (or another open
    // device of this one) holds it.
    static std::unique_ptr<UsbDevice> open(const std::string& devicePath);

    // One device read of at most `size` bytes, waiting at most `timeoutMs` for data to arrive.
    virtual Transfer read(char* buffer, std::size_t size, std::uint32_t timeoutMs) = 0;
    // Hands `size` bytes to the device, giving up when it takes nothing for `timeoutMs`. A
    // result with Done and a count below `size` asks the caller to go on with the rest.
    virtual Transfer write(const char* data, std::size_t size, std::uint32_t timeoutMs) = 0;
    // Waits until the device has finished the last transfer written; closing the device would
    // otherwise cancel it.
    virtual TransferStatus waitWritten(std::uint32_t timeoutMs) = 0;

    // From now on every transfer ends with Cancelled as soon as `signal` is raised (and at once
    // when it already is); the signal outlives the device.
    void watch(const CancelSignal* signal) { cancel = signal; }

protected:
    UsbDevice() = default;
    bool cancelled() const { return cancel && cancel->raised(); }

    const CancelSignal* cancel = nullptr;
    UsbDevice(const UsbDevice&) = delete;
    UsbDevice& operator=(const UsbDevice&) = delete;
};

// One present interface of the USB printing class.
struct UsbDeviceInterface {
    // The system's identifier of the interface; it carries "vid_<vendor id>" in lower case.
    std::string interfaceId;
    // Physical port path of the device, for example "1-3.1"; empty when unknown.
    std::string location;
    // What open() accepts.
    std::string devicePath;
};

// The printing-class interfaces present now, in a stable order.
std::vector<UsbDeviceInterface> listUsbPrinterInterfaces();

} // namespace platform
} // namespace Orvane
