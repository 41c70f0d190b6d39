#include "Platform.h"

namespace kalyxsim::platform {

const bool hasDevicePorts = true;

const char* const usageTail = " [--usb -- COMMAND [ARGS...]]";

const char* const devicePortsHelp =
    "  --pty                    also serve a pseudo-terminal in place of a USB printer\n"
    "  --usb -- COMMAND ARGS    run COMMAND with this printer attached on USB as\n"
    "                           /dev/usb/lp0 (a umockdev testbed); stop when it exits and\n"
    "                           exit with its status\n";

const char* const runningHelp =
    "On start the program prints \"listening on 127.0.0.1:PORT\" (and \"pty PATH\" or\n"
    "\"usb /dev/usb/lp0\") on stdout, logs one line per exchange on stderr, and stops on\n"
    "SIGINT or SIGTERM.\n";

} // namespace kalyxsim::platform
