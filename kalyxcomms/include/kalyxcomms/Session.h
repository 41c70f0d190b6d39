#pragma once

#include <kalyxcomms/Export.h>

#include <cstdint>

namespace Orvane {

// A byte transport to a printer: opened by the constructor of a subclass, closed by its
// destructor. It moves bytes only and knows nothing of the protocol. Every operation blocks
// until it finishes or its time-out expires; failures are false results.
class KALYXCOMMS_EXPORT Session {
public:
    virtual ~Session();

    // Fills exactly `length` bytes into `buffer`, or returns false.
    virtual bool read(char* buffer, int length) = 0;
    // Transmits exactly `length` bytes, or returns false.
    virtual bool write(const char* data, int length) = 0;
    virtual bool setReadTimeout(std::uint32_t milliseconds) = 0;
    virtual bool setWriteTimeout(std::uint32_t milliseconds) = 0;

    bool isOpen() const { return open; }

protected:
    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool open = false;
};

} // namespace Orvane
