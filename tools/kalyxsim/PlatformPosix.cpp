#include "Platform.h"

namespace kalyxsim::platform {

const bool hasDevicePorts = true;

const char* const usageTail = " [--usb [options] -- COMMAND [ARGS...]]";

const char* const runningHelp =
    "On start the program prints \"listening on 127.0.0.1:PORT\" (and \"pty PATH\") on\n"
    "stdout, or on stderr with --usb (with \"usb /dev/usb/lp0\"), logs one line per\n"
    "exchange on stderr, and stops on SIGINT or SIGTERM.\n";

} // namespace kalyxsim::platform
