#include "BatchInterrupt.h"

#include <csignal>
#include <unistd.h>

namespace cli {

namespace {

std::atomic<bool>* flag = nullptr;

void onSignal(int) {
    if (flag->exchange(true))
        _exit(130);
}

} // namespace

void catchInterrupts(std::atomic<bool>& interrupted) {
    flag = &interrupted;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace cli
