// The printer's ends besides TCP: a pty standing in for a USB printer, or a virtual USB printer
// seen by one program that the simulator runs and outlives. Only POSIX has them
// (DevicePortsPosix.cpp); on Windows the options are refused and this does nothing
// (DevicePortsWindows.cpp).
#pragma once

#include "Server.h"
#include "SimOptions.h"
#include "StopSignal.h"

#include <cstdio>
#include <memory>
#include <string>

namespace kalyxsim {

class DevicePorts {
public:
    DevicePorts();
    ~DevicePorts();
    DevicePorts(const DevicePorts&) = delete;
    DevicePorts& operator=(const DevicePorts&) = delete;

    // False with the reason when this build cannot give the ends the options ask for.
    static bool available(const SimOptions& options, std::string& problem);

    // Opens the ends the options ask for and hands them to the server; false with the reason.
    bool attach(const SimOptions& options, Server& server, std::string& problem);
    // Prints their lines of the start banner to `out`.
    void announce(const SimOptions& options, std::FILE* out) const;
    // Starts the program given with --usb; false with the reason.
    bool start(const SimOptions& options, std::string& problem);
    // Serves until a stop request, or until the program run beside the virtual USB printer
    // ends; returns the exit status.
    int serve(Server& server, StopSignal& stop);

private:
    struct Ends;
    std::unique_ptr<Ends> ends_;
};

} // namespace kalyxsim
