// The calls of kalyxprn that differ between operating systems. HostSystemPosix.cpp makes them
// with POSIX, HostSystemWindows.cpp with Win32 and WinSock.
#pragma once

#include <kalyxcomms/Types.h>

#include <string>

namespace cli {

// The system's socket layer may be used in this process (WinSock is started on first use).
bool networkReady();

// Standard error is a terminal (worth drawing a progress bar on).
bool stderrIsTerminal();

// How a file named on the command line was read. The decision is made on the file actually
// opened, so a name swapped for a pipe after a look cannot leave the program blocked.
enum class InputRead {
    Read,     // `bytes` hold the file, or what a pipe or standard input ("-") gave
    Failed,   // `problem` says why (nothing arrived in time, a read error)
    NotAFile, // neither a regular file nor a stream (missing, a folder): the caller says why
};
// A pipe that falls silent is given up on after as long as a printer's answer.
constexpr int inputIdleMs = int(Orvane::AnswerTimeoutMs);
// Reads at most `limit` + 1 bytes; a pipe, socket or device that falls silent for `idleMs` is
// given up on.
InputRead readInput(const std::string& path, std::size_t limit, int idleMs, std::string& bytes,
                    std::string& problem);

// Why the printer device at `path` cannot be used, in words ("busy: another program is using
// it"); looked at again after the library gave no printer for it.
std::string deviceProblem(const std::string& path);

} // namespace cli
