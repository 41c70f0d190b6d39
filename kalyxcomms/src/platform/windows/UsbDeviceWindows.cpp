// A USB printing-class device interface opened by its device path. Every transfer is overlapped
// and waits on its own event for at most the caller's time-out, and on the transport's cancel
// event; one that does not complete is cancelled.

#include "platform/UsbDevice.h"

#include <windows.h>

#include <algorithm>

namespace Orvane {
namespace platform {
namespace {

// The device was unplugged, or (for a pipe standing in for it) its far end closed.
TransferStatus statusOf(DWORD error) {
    switch (error) {
    case ERROR_OPERATION_ABORTED:
        return TransferStatus::TimedOut; // cancelled by us after the time-out
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_COMMAND:
    case ERROR_BROKEN_PIPE:
    case ERROR_PIPE_NOT_CONNECTED:
    case ERROR_NO_DATA:
        return TransferStatus::Closed;
    default:
        return TransferStatus::Failed;
    }
}

class WindowsUsbDevice final : public UsbDevice {
public:
    WindowsUsbDevice(HANDLE handle, HANDLE event) : handle(handle), event(event) {}
    ~WindowsUsbDevice() override {
        ::CloseHandle(event);
        ::CloseHandle(handle);
    }

    Transfer read(char* buffer, std::size_t size, std::uint32_t timeoutMs) override {
        return transfer(false, buffer, size, timeoutMs);
    }

    Transfer write(const char* data, std::size_t size, std::uint32_t timeoutMs) override {
        return transfer(true, const_cast<char*>(data), size, timeoutMs);
    }

    // A write completes only once the driver has sent its bytes: nothing is left in flight.
    TransferStatus waitWritten(std::uint32_t) override { return TransferStatus::Done; }

private:
    // Transfers run one at a time, each to its end (cancelled ones included), so they share one
    // event; ReadFile and WriteFile reset it as they start.
    Transfer transfer(bool writing, char* buffer, std::size_t size, std::uint32_t timeoutMs) {
        if (cancelled())
            return {TransferStatus::Cancelled, 0};
        OVERLAPPED overlapped{};
        overlapped.hEvent = event;
        const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
        DWORD moved = 0;
        BOOL done = writing ? ::WriteFile(handle, buffer, asked, nullptr, &overlapped)
                            : ::ReadFile(handle, buffer, asked, nullptr, &overlapped);
        DWORD error = done ? ERROR_SUCCESS : ::GetLastError();
        if (done) {
            // Completed at once: only the count is left to collect.
            done = ::GetOverlappedResult(handle, &overlapped, &moved, FALSE);
            error = done ? ERROR_SUCCESS : ::GetLastError();
        } else if (error == ERROR_IO_PENDING) {
            const HANDLE cancelEvent =
                cancel ? reinterpret_cast<HANDLE>(cancel->waitHandle()) : nullptr;
            const HANDLE waits[2] = {event, cancelEvent};
            ::WaitForMultipleObjects(cancelEvent ? 2 : 1, waits, FALSE, timeoutMs);
            done = ::GetOverlappedResult(handle, &overlapped, &moved, FALSE);
            error = done ? ERROR_SUCCESS : ::GetLastError();
            if (error == ERROR_IO_INCOMPLETE) {
                ::CancelIo(handle);
                // The cancelled transfer may still write into `overlapped` and `buffer` until the
                // system reports its end: wait for that before either goes out of scope. A
                // transfer that completed before the cancel took hold keeps its bytes.
                done = ::GetOverlappedResult(handle, &overlapped, &moved, TRUE);
                error = done ? ERROR_SUCCESS : ::GetLastError();
            }
        }
        if (done)
            return {TransferStatus::Done, moved};
        if (error == ERROR_OPERATION_ABORTED && cancelled())
            return {TransferStatus::Cancelled, moved};
        return {statusOf(error), moved};
    }

    const HANDLE handle;
    const HANDLE event;
};

// A file on a mounted volume has no USB printer behind it, and an overlapped handle on it has no
// file pointer: every read would return the start of the file again.
bool isFileOnAVolume(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info;
    return ::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileInformationByHandle(handle, &info);
}

} // namespace

std::unique_ptr<UsbDevice> UsbDevice::open(const std::string& devicePath) {
    if (devicePath.empty())
        return nullptr;
    const HANDLE handle =
        ::CreateFileA(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                      OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    // Manual reset, as overlapped transfers require.
    const HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!event || isFileOnAVolume(handle)) {
        if (event)
            ::CloseHandle(event);
        ::CloseHandle(handle);
        return nullptr;
    }
    return std::make_unique<WindowsUsbDevice>(handle, event);
}

} // namespace platform
} // namespace Orvane
