#include "Platform.h"

namespace kalyxsim::platform {

const bool hasDevicePorts = true;

const char* const usageTail = " [--usb [options] -- COMMAND [ARGS...]]";

const char* const devicePortsHelp =
    "  --pty                    also serve a pseudo-terminal in place of a USB printer\n"
    "  --usb -- COMMAND ARGS    run COMMAND with this printer attached on USB as\n"
    "                           /dev/usb/lp0 (a umockdev testbed); stop when it exits and\n"
    "                           exit with its status. Other options may stand before or\n"
    "                           after --usb; stdout is COMMAND's alone, and TCP is served\n"
    "                           on a free port unless --port is given\n";

const char* const runningHelp =
    "On start the program prints \"listening on 127.0.0.1:PORT\" (and \"pty PATH\") on\n"
    "stdout, or on stderr with --usb (with \"usb /dev/usb/lp0\"), logs one line per\n"
    "exchange on stderr, and stops on SIGINT or SIGTERM.\n";

} // namespace kalyxsim::platform
