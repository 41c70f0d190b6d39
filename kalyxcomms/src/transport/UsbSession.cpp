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

        const platform::Transfer got =
            device->read(readBuffer.get(), readBufferSize, readTimeoutMs);
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
    if (!mayTransfer(data, length))
        return false;
    if (length == 0)
        return true;
    std::size_t written = 0;
    const std::size_t total = static_cast<std::size_t>(length);
    int empty = 0;
    while (written < total) {
        const std::size_t chunk = std::min<std::size_t>(total - written, writeChunkSize);
        const platform::Transfer sent = device->write(data + written, chunk, writeTimeoutMs);
        written += std::min(sent.count, chunk);
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

bool UsbSession::setReadTimeout(std::uint32_t milliseconds) {
    readTimeoutMs = milliseconds;
    return true;
}

bool UsbSession::setWriteTimeout(std::uint32_t milliseconds) {
    writeTimeoutMs = milliseconds;
    return true;
}

} // namespace Orvane
