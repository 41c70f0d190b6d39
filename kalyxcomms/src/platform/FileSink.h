#pragma once

#include "platform/CancelSignal.h"
#include "platform/Transfer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Orvane {
namespace platform {

// A file, FIFO or character device that takes a byte stream. Opening never waits: a FIFO that
// nobody reads yet is opened by the first write, which waits for a reader as it waits for room.
class FileSink {
public:
    // Creates or truncates a regular file; anything that cannot take a stream is refused.
    explicit FileSink(const std::string& path);
    ~FileSink();
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    bool isOpen() const;
    // Writes every byte unless none moves for `timeoutMs` (0: wait for good), or `cancel`
    // (which may be null) is raised first.
    Transfer write(const char* data, std::size_t size, std::uint32_t timeoutMs,
                   const CancelSignal* cancel = nullptr);
    // Stores what was written and closes; false when that failed.
    bool close();

private:
    struct State;
    std::unique_ptr<State> state;
};

} // namespace platform
} // namespace Orvane
