// The socket calls of the event loop, one interface for POSIX and for WinSock: a handle type,
// poll, reading, sending in pieces, the reset on close. SocketIoPosix.cpp makes them with POSIX
// calls (where they also serve the pty and the signalfd), SocketIoWindows.cpp with WinSock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kalyxsim::io {

// A socket; on POSIX any pollable descriptor.
using Handle = std::intptr_t;
constexpr Handle noHandle = -1;

// Events asked of poll() and reported by it.
enum Event : short { readable = 1, writable = 2, hungUp = 4, failed = 8 };

struct PollEntry {
    Handle handle = noHandle; // noHandle: not watched this round
    short events = 0;
    short revents = 0;
};

// Readies the socket layer for the process; false with the reason.
bool startup(std::string& problem);

// Waits at most `timeoutMs` (-1: no limit) for an event on the entries. Returns how many have
// one, 0 on a time-out, -1 on a failure (`problem` says why); an interrupted wait returns 0.
int poll(std::vector<PollEntry>& entries, int timeoutMs, std::string& problem);

struct Transfer {
    enum Status { Moved, End, Again, Broken };
    Status status = Broken;
    std::size_t bytes = 0;
};

// Reads what is there, up to `size` bytes: Moved, End (the peer finished sending), Again
// (nothing yet) or Broken.
Transfer receive(Handle handle, unsigned char* data, std::size_t size);

struct Piece {
    const unsigned char* data;
    std::size_t size;
};
// Writes the pieces in order, in one call where the system takes them all. `socket` is false
// for a POSIX terminal. Moved (maybe fewer bytes than given), Again or Broken.
Transfer sendPieces(Handle handle, const Piece* pieces, int count, bool socket);

// Makes the closing of a socket a reset instead of an orderly end.
void resetOnClose(Handle handle);
void close(Handle handle);

} // namespace kalyxsim::io
