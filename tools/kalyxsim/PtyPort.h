// The printer's USB side, played on a pseudo-terminal: hosts open the slave path as they would
// open a USB printer node. The line is raw, so frames pass unchanged.
#pragma once

#include <string>

namespace kalyxsim {

class PtyPort {
public:
    PtyPort() = default;
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    bool open(std::string& problem);
    // The master side, non-blocking; ownership passes to the caller.
    int releaseMaster();
    const std::string& path() const { return path_; }

private:
    int master_ = -1;
    // Held open so the master never sees a hang-up while no host has the slave open.
    int slave_ = -1;
    std::string path_;
};

} // namespace kalyxsim
