#include "DevicePorts.h"

#include "PtyPort.h"
#ifdef KALYXSIM_HAVE_UMOCKDEV
#include "VirtualUsb.h"
#endif

#include <chrono>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <thread>

namespace kalyxsim {

struct DevicePorts::Ends {
    PtyPort pty;
#ifdef KALYXSIM_HAVE_UMOCKDEV
    VirtualUsb usb;
#endif
    pid_t child = -1;
};

namespace {

// Waits for the program's exit; after `grace` it is killed. Returns a shell-style status.
int reap(pid_t child, std::chrono::milliseconds grace) {
    const auto deadline = std::chrono::steady_clock::now() + grace;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

DevicePorts::DevicePorts() : ends_(std::make_unique<Ends>()) {}
DevicePorts::~DevicePorts() = default;

bool DevicePorts::available(const SimOptions& options, std::string& problem) {
#ifndef KALYXSIM_HAVE_UMOCKDEV
    if (options.withUsb) {
        problem = "--usb: built without umockdev";
        return false;
    }
#endif
    (void)options;
    (void)problem;
    return true;
}

bool DevicePorts::attach(const SimOptions& options, Server& server, std::string& problem) {
    if (options.withPty) {
        if (!ends_->pty.open(problem))
            return false;
        server.addPty(ends_->pty.releaseMaster(), "pty " + ends_->pty.path());
    }
#ifdef KALYXSIM_HAVE_UMOCKDEV
    if (options.withUsb) {
        int printerEnd = -1;
        if (!ends_->usb.attach(options.config.serial, problem) ||
            (printerEnd = ends_->usb.takePrinterEnd(problem)) < 0)
            return false;
        server.addPty(printerEnd, std::string("usb ") + VirtualUsb::devicePath);
    }
#endif
    return true;
}

void DevicePorts::announce(const SimOptions& options, std::FILE* out) const {
    if (options.withPty)
        std::fprintf(out, "pty %s\n", ends_->pty.path().c_str());
    if (options.withUsb)
        std::fprintf(out, "usb /dev/usb/lp0\n");
}

bool DevicePorts::start(const SimOptions& options, std::string& problem) {
#ifdef KALYXSIM_HAVE_UMOCKDEV
    if (options.withUsb && (ends_->child = ends_->usb.run(options.usbCommand, problem)) < 0)
        return false;
#endif
    (void)options;
    (void)problem;
    return true;
}

int DevicePorts::serve(Server& server, StopSignal& stop) {
    const int stoppedBy = server.run(stop);
    const pid_t child = ends_->child;
    if (child <= 0)
        return stoppedBy > 0 ? 0 : 1;
    if (stoppedBy == SIGCHLD)
        // A job the program wrote just before it ended may still wait in the device.
        server.finish(300);
    else
        ::kill(child, SIGTERM);
    return reap(child, std::chrono::seconds(stoppedBy == SIGCHLD ? 1 : 5));
}

} // namespace kalyxsim
