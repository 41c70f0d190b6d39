// Runs kalyxsim as a child process for one test: started on a free port, stopped by its PID.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kalyxtest {

class SimProcess {
public:
    // Starts the simulator with `--port 0` and the given options and waits for its banner.
    explicit SimProcess(const std::vector<std::string>& options = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool started() const { return port_ != 0; }
    std::uint16_t port() const { return port_; }
    const std::string& ptyPath() const { return ptyPath_; }
    pid_t pid() const { return pid_; }

    // Sends `signal` and waits (bounded) for the exit; returns the exit code, or -1 when the
    // process did not exit by itself or died of a signal.
    int stop(int signal = 15);
    // Everything the simulator logged on stderr so far.
    std::string log() const;

private:
    pid_t pid_ = -1;
    void* handle_ = nullptr; // the process's handle where the system has one (Windows)
    std::uint16_t port_ = 0;
    std::string ptyPath_;
    std::string logPath_;
};

// Path of the simulator binary (set by the build).
const char* simulatorPath();

// Runs the simulator to completion with `options` (for option errors and --help); returns the
// exit code and fills `output` with stdout and stderr.
int runSimulator(const std::vector<std::string>& options, std::string& output);

} // namespace kalyxtest
