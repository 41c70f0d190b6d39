// What the simulator's command line offers differs between POSIX and Windows: on Windows it
// serves TCP only (no pty, no virtual USB printer) and is stopped from its console.
// PlatformPosix.cpp and PlatformWindows.cpp give the differences.
#pragma once

namespace kalyxsim::platform {

// --pty and --usb may be given.
extern const bool hasDevicePorts;

// Pieces of --help: what follows "Usage: kalyxsim [options]" and the closing paragraph on what
// the program prints and how it is stopped.
extern const char* const usageTail;
extern const char* const runningHelp;

} // namespace kalyxsim::platform
