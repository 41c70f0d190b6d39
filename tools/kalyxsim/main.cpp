// kalyxsim: a Kalyx card printer that exists only in software. It answers the command protocol
// on 127.0.0.1 (and optionally on a pseudo-terminal, or on a virtual USB printer seen by one
// program), keeps the state a printer keeps, stores the card jobs it receives, and misbehaves on
// request so hosts can be tested against a printer that answers badly.
//
// It keeps its own implementation of the framing, of the commands and of job validation on
// purpose, sharing nothing with kalyxcomms or the document library but the checksum: it is our
// stand-in for a real printer, and only an independent implementation can catch the library's
// mistakes instead of repeating them.
#include "Log.h"
#include "PtyPort.h"
#include "Server.h"
#include "SimOptions.h"
#include "SimPrinter.h"
#include "TcpListener.h"
#ifdef KALYXSIM_HAVE_UMOCKDEV
#include "VirtualUsb.h"
#endif

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace kalyxsim;

namespace {

bool addFaults(SimPrinter& printer, const std::vector<std::string>& lists) {
    for (const std::string& items : lists) {
        std::string problem;
        auto fault = parseFault(items, -1, problem);
        if (!fault) {
            std::fprintf(stderr, "kalyxsim: fault '%s': %s (try --help)\n", items.c_str(),
                         problem.c_str());
            return false;
        }
        printer.faults().add(std::move(*fault));
    }
    return true;
}

// Stop signals (and the end of a program run beside a virtual USB printer) arrive through the
// event loop, never in the middle of an answer. Returns the signalfd, or -1.
int openSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGCHLD);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    const int fd = ::signalfd(-1, &signals, SFD_CLOEXEC);
    if (fd < 0)
        std::fprintf(stderr, "kalyxsim: signalfd: %s\n", std::strerror(errno));
    return fd;
}

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

void announce(const SimOptions& options, const TcpListener& listener, const PtyPort& pty,
              SimPrinter& printer) {
    std::printf("listening on 127.0.0.1:%u\n", static_cast<unsigned>(listener.port()));
    if (options.withPty)
        std::printf("pty %s\n", pty.path().c_str());
    if (options.withUsb)
        std::printf("usb /dev/usb/lp0\n");
    std::fflush(stdout);
    std::string started = options.config.model + " " + options.config.serial + " ready";
    if (!printer.faults().empty())
        started += ", faults: " + printer.faults().describe();
    logLine(started);
}

// Serves until a stop signal, or until the program run beside the virtual USB printer ends;
// returns the exit status.
int serve(Server& server, int signalFd, pid_t child) {
    const int stoppedBy = server.run(signalFd);
    if (child <= 0)
        return stoppedBy > 0 ? 0 : 1;
    if (stoppedBy == SIGCHLD)
        // A job the program wrote just before it ended may still wait in the device.
        server.finish(300);
    else
        ::kill(child, SIGTERM);
    return reap(child, std::chrono::seconds(stoppedBy == SIGCHLD ? 1 : 5));
}

} // namespace

int main(int argc, char** argv) {
    SimOptions options;
    int status = 0;
    if (!parseOptions(argc, argv, options, status))
        return status;
#ifndef KALYXSIM_HAVE_UMOCKDEV
    if (options.withUsb) {
        std::fprintf(stderr, "kalyxsim: --usb: built without umockdev\n");
        return 1;
    }
#endif
    SimPrinter printer(options.config);
    if (!addFaults(printer, options.faultLists))
        return 2;
    const int signalFd = openSignals();
    if (signalFd < 0)
        return 1;

    TcpListener listener;
    std::string problem;
    if (!listener.open(options.port, problem)) {
        std::fprintf(stderr, "kalyxsim: cannot listen on %s\n", problem.c_str());
        return 1;
    }
    Server server(printer, listener);
    server.setReadRate(options.readRate);
    server.setBufferCap(static_cast<std::size_t>(options.bufferCap));
    PtyPort pty;
    if (options.withPty) {
        if (!pty.open(problem)) {
            std::fprintf(stderr, "kalyxsim: %s\n", problem.c_str());
            return 1;
        }
        server.addPty(pty.releaseMaster(), "pty " + pty.path());
    }
    pid_t child = -1;
#ifdef KALYXSIM_HAVE_UMOCKDEV
    VirtualUsb usb;
    if (options.withUsb) {
        int printerEnd = -1;
        if (!usb.attach(options.config.serial, problem) ||
            (printerEnd = usb.takePrinterEnd(problem)) < 0) {
            std::fprintf(stderr, "kalyxsim: %s\n", problem.c_str());
            return 1;
        }
        server.addPty(printerEnd, std::string("usb ") + VirtualUsb::devicePath);
    }
#endif
    announce(options, listener, pty, printer);
#ifdef KALYXSIM_HAVE_UMOCKDEV
    if (options.withUsb && (child = usb.run(options.usbCommand, problem)) < 0) {
        std::fprintf(stderr, "kalyxsim: %s\n", problem.c_str());
        return 1;
    }
#endif
    const int exitStatus = serve(server, signalFd, child);
    ::close(signalFd);
    return exitStatus;
}
