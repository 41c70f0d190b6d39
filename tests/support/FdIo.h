// Moving bytes through a blocking descriptor (socket, pseudo-terminal or device node). Reads wait
// a bounded time, so a test whose peer falls silent fails instead of hanging.
#pragma once

#include "WireFrame.h"

#include <cstddef>
#include <string>

namespace kalyxtest {

// Writes every byte; false when the other end is gone. Never raises SIGPIPE.
bool writeAll(int fd, const std::string& bytes);

// Reads exactly `size` bytes within `timeoutMs`; false on time-out, end of stream or error.
bool readExact(int fd, void* data, std::size_t size, int timeoutMs);

// Reads one message, never a byte beyond it; false on time-out, end of stream or a payload
// beyond the reader's limit. Each read waits at most `timeoutMs`.
bool readFrame(int fd, Frame& frame, int timeoutMs);

// Everything that arrives until the line is quiet for `quietMs`.
std::string drain(int fd, int quietMs);

// Reads until the other end closes or shuts down its side, or `timeoutMs` passes quietly.
void waitForEof(int fd, int timeoutMs = 30000);

} // namespace kalyxtest
