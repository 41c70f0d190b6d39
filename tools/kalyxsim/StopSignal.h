// What stops the simulator, delivered through the event loop so that it lands between two
// answers, never in the middle of one. On POSIX: SIGINT, SIGTERM and SIGCHLD (the end of a
// program run beside the virtual USB printer) through a signalfd (StopSignalPosix.cpp). On
// Windows: Ctrl+C, Ctrl+Break and the closing of the console, which the console handler's
// thread passes on through a loopback socket pair (StopSignalWindows.cpp).
#pragma once

#include "SocketIo.h"

#include <string>

namespace kalyxsim {

class StopSignal {
public:
    StopSignal() = default;
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    // Starts catching the stop requests; false with the reason.
    bool open(std::string& problem);
    // Readable once a request arrived.
    io::Handle handle() const { return handle_; }
    // Takes the request that arrived: returns its signal number (0 when it could not be read)
    // and names it for the log in `name`.
    int take(std::string& name);

private:
    io::Handle handle_ = io::noHandle;
};

} // namespace kalyxsim
