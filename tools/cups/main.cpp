// kalyx: the CUPS backend for Kalyx card printers. Without arguments it lists the printers it
// can reach; with "job-id user title copies options [file]" it prints one PRN job on the
// printer named by DEVICE_URI (kalyx://usb/SERIAL or kalyx://tcp/HOST:PORT).
#include "DeviceListing.h"
#include "JobPrinting.h"

#include <cups/backend.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

// A printer that stopped reading cannot hold a cancelled job for longer than this: the process
// then ends and the system closes the device.
constexpr unsigned cancelGraceSeconds = 3;

void onTerminate(int) {
    kalyxcups::requestCancel();
    ::alarm(cancelGraceSeconds);
}

void onAlarm(int) {
    ::_exit(CUPS_BACKEND_OK);
}

void installSignals() {
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = onTerminate;
    sigaction(SIGTERM, &action, nullptr);
    action.sa_handler = onAlarm;
    sigaction(SIGALRM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

unsigned parseCopies(const char* text) {
    char* end = nullptr;
    const long copies = std::strtol(text, &end, 10);
    return end && *end == '\0' && copies >= 1 && copies <= 9999 ? static_cast<unsigned>(copies) : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("kalyx (CUPS backend) %s\n", KALYX_VERSION);
        return 0;
    }
    if (argc == 1)
        return kalyxcups::listDevices();
    if (argc != 6 && argc != 7) {
        std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n", argv[0]);
        return CUPS_BACKEND_FAILED;
    }
    installSignals();
    kalyxcups::JobRequest request;
    // CUPS puts the queue's URI into DEVICE_URI (and into argv[0]).
    const char* uri = std::getenv("DEVICE_URI");
    request.deviceUri = uri ? uri : argv[0];
    request.jobId = argv[1];
    request.copies = parseCopies(argv[4]);
    if (argc == 7)
        request.file = argv[6];
    return kalyxcups::printJob(request);
}
