#pragma once

#include "platform/UsbDevice.h"
#include "transport/ReportingSession.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Orvane {

// A USB printing-class device. Reads go through a read-ahead buffer, because the command exchange
// reads responses one byte at a time; writes go out in chunks, each with its own deadline.
class UsbSession : public ReportingSession {
public:
    // Bytes asked of the device per read, and the largest chunk written under one deadline.
    static constexpr int readBufferSize = 4 * 1024 * 1024;
    static constexpr int writeChunkSize = 4 * 1024 * 1024;
    // Consecutive transfers that complete with nothing moved before the transfer is given up.
    static constexpr int maxEmptyTransfers = 16;

    // Opens the device and discards whatever it had already sent; the transport is closed when
    // the path names no device or another program (or another transport of ours) holds it. The
    // device stays ours alone until the transport is destroyed.
    explicit UsbSession(const std::string& devicePath);
    // The same over an already opened device (empty: closed).
    explicit UsbSession(std::unique_ptr<platform::UsbDevice> device);
    ~UsbSession() override;

    bool read(char* buffer, int length) override;
    bool write(const char* data, int length) override;
    bool setReadTimeout(std::uint32_t milliseconds) override;
    bool setWriteTimeout(std::uint32_t milliseconds) override;
    // Every write already waited until the device had its bytes: releases the device.
    bool finish() override;

private:
    void discardStaleInput();

    std::unique_ptr<platform::UsbDevice> device;
    std::unique_ptr<char[]> readBuffer;
    // The received bytes not yet handed out are readBuffer[readPos, readEnd).
    int readPos = 0;
    int readEnd = 0;
    std::uint32_t readTimeoutMs = 0;
    std::uint32_t writeTimeoutMs = 0;
};

} // namespace Orvane
