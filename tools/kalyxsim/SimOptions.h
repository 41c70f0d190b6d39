// The simulator's command line: what to simulate, where to listen, how to misbehave, and an
// optional program to run beside a virtual USB printer.
#pragma once

#include "SimPrinter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kalyxsim {

struct SimOptions {
    PrinterConfig config;
    std::uint16_t port = 9100;
    bool portGiven = false;
    bool withPty = false;
    std::uint64_t readRate = 0; // bytes per second from each host; 0: no bound
    // Bytes of requests held in memory across all hosts at most; 0: no cap.
    std::uint64_t bufferCap = std::uint64_t(256) << 20;
    // `--usb ... -- COMMAND ARGS...`: the printer appears on USB to COMMAND, which is run under
    // umockdev; the simulator stops when it exits. Its standard output is then COMMAND's alone,
    // and TCP is served on a free port unless --port names one.
    bool withUsb = false;
    std::vector<std::string> usbCommand;
    // Fault lists in the order they apply; the shortcut options come first as one list.
    std::vector<std::string> faultLists;
};

// Parses the command line. Returns true when the simulator should start; otherwise `status` is
// the exit status (0 after --help or --version, 2 after a usage error already reported).
bool parseOptions(int argc, char** argv, SimOptions& options, int& status);

} // namespace kalyxsim
