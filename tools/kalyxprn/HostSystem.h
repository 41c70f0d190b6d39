// The calls of kalyxprn that differ between operating systems. HostSystemPosix.cpp makes them
// with POSIX, HostSystemWindows.cpp with Win32 and WinSock.
#pragma once

#include <string>

namespace cli {

// `name` as dotted IPv4 text: the name itself when it is such text, otherwise the first IPv4
// address it resolves to. False when it resolves to none. (HostAddress.cpp, for every system.)
bool toDottedIPv4(const std::string& name, std::string& dotted);

// The system's socket layer may be used in this process (WinSock is started on first use).
bool networkReady();

// Standard error is a terminal (worth drawing a progress bar on).
bool stderrIsTerminal();

// `path` names a pipe or a socket, which opening as a file may wait on for ever.
bool isPipeOrSocket(const std::string& path);

// Reads standard input (`path` "-") or a pipe to its end, keeping at most `limit` + 1 bytes. A
// named pipe gives up once nothing arrived for `idleMs`, with or without a writer. False with
// the reason in `problem` otherwise.
bool readStream(const std::string& path, std::size_t limit, int idleMs, std::string& bytes,
                std::string& problem);

// Why the printer device at `path` cannot be used, in words ("busy: another program is using
// it"); looked at again after the library gave no printer for it.
std::string deviceProblem(const std::string& path);

} // namespace cli
