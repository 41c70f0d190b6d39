#include "Platform.h"

namespace kalyxsim::platform {

const bool hasDevicePorts = false;

const char* const usageTail = "";

const char* const runningHelp =
    "On start the program prints \"listening on 127.0.0.1:PORT\" on stdout, logs one line\n"
    "per exchange on stderr, and stops on Ctrl+C or Ctrl+Break, or when its console\n"
    "closes; it finishes the answer in hand first and exits with status 0.\n";

} // namespace kalyxsim::platform
