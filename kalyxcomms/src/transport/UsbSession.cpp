#include "transport/UsbSession.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

namespace Orvane {

namespace {

// A device that streams without pause would keep the stale-input drain going for ever.
constexpr auto staleInputLimit = std::chrono::seconds(1);

} // namespace

UsbSession::UsbSession(const std::string& devicePath)
    : UsbSession(platform::UsbDevice::open(devicePath)) {}

UsbSession::UsbSession(std::unique_ptr<platform::UsbDevice> device)
    : device(std::move(device)), readBuffer(new (std::nothrow) char[readBufferSize]) {
    open = this->device && readBuffer;
    if (this->device)
        this->device->watch(cancelSignal().get());
    discardStaleInput();
}

UsbSession::~UsbSession() = default;

void UsbSession::discardStaleInput() {
    // Both time-outs are still 0 here, so each device read takes only what is already waiting.
    const auto until = std::chrono::steady_clock::now() + staleInputLimit;
    char scratch[4096];
    while (read(scratch, sizeof scratch) && std::chrono::steady_clock::now() < until) {
    }
    readPos = readEnd = 0;
}

bool UsbSession::read(char* buffer, int length) {
    if (!mayTransfer(buffer, length))
        return false;
    int wanted = length;
    int empty = 0;
    for (;;) {
        const int take = std::min(wanted, readEnd - readPos);
        if (take > 0) {
            std::memcpy(buffer, readBuffer.get() + readPos, static_cast<std::size_t>(take));
            readPos += take;
            buffer += take;
            wanted -= take;
        }
        if (wanted == 0)
            return true;

        std::uint32_t waitMs = 0;
        if (!readWait(readTimeoutMs, waitMs))
            return false;
        const platform::Transfer got = device->read(readBuffer.get(), readBufferSize, waitMs);
        readPos = 0;
        readEnd = got.ok() ? static_cast<int>(std::min<std::size_t>(got.count, readBufferSize)) : 0;
        if (!got.ok())
            return failRead(got.status);
        if (readEnd == 0 && ++empty > maxEmptyTransfers)
            return fail(FailureReason::ReadFailed);
        if (readEnd > 0)
            empty = 0;
    }
}

bool UsbSession::write(const char* data, int length) {
    written = 0;
    if (!mayTransfer(data, length))
        return false;
    if (length == 0)
        return true;
    std::size_t done = 0;
    const std::size_t total = static_cast<std::size_t>(length);
    int empty = 0;
    while (done < total) {
        const std::size_t chunk = std::min<std::size_t>(total - done, writeChunkSize);
        const platform::Transfer sent = device->write(data + done, chunk, writeTimeoutMs);
        done += std::min(sent.count, chunk);
        written = done;
        if (!sent.ok())
            return failWrite(sent.status);
        if (sent.count == 0 && ++empty > maxEmptyTransfers)
            return fail(FailureReason::WriteFailed);
        if (sent.count > 0)
            empty = 0;
    }
    // Closing the device cancels a transfer still in flight, and the caller may close right
    // after this returns.
    const platform::TransferStatus last = device->waitWritten(writeTimeoutMs);
    return last == platform::TransferStatus::Done || failWrite(last);
}

bool UsbSession::finish() {
    device.reset();
    open = false;
    return true;
}

bool UsbSession::setReadTimeout(std::uint32_t milliseconds) {
    readTimeoutMs = milliseconds;
    return true;
}

bool UsbSession::setWriteTimeout(std::uint32_t milliseconds) {
    writeTimeoutMs = milliseconds;
    return true;
}

} // namespace Orvane
