#pragma once

#include "platform/FileSink.h"
#include "transport/ReportingSession.h"

#include <cstdint>
#include <string>

#include <kalyxcomms/Types.h>

namespace Orvane {

// Captures the byte stream in a file (created or truncated), a FIFO or a character device. It
// cannot read, so commands that wait for an answer fail after their request has been written.
// A write fails as timed out when nothing takes a byte for the write time-out, a FIFO without
// a reader included.
class FileSession : public ReportingSession {
public:
    explicit FileSession(const std::string& path);

    bool read(char* buffer, int length) override;
    bool write(const char* data, int length) override;
    bool setReadTimeout(std::uint32_t milliseconds) override;
    bool setWriteTimeout(std::uint32_t milliseconds) override;
    // Closes the file; false when its last bytes could not be stored.
    bool finish() override;

private:
    platform::FileSink sink;
    std::uint32_t writeTimeoutMs = TakeTimeoutMs;
};

} // namespace Orvane
