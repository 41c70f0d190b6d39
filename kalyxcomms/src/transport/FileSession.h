#pragma once

#include "transport/ReportingSession.h"

#include <cstdint>
#include <fstream>
#include <string>

namespace Orvane {

// Captures the byte stream in a file (created or truncated). It cannot read, so commands that
// wait for an answer fail after their request has been written.
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
    std::ofstream stream;
};

} // namespace Orvane
