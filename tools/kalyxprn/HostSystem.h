// The calls of kalyxprn that differ between operating systems. HostSystemPosix.cpp makes them
// with POSIX; another system gets its own file beside it.
#pragma once

#include <string>

namespace cli {

// `name` as dotted IPv4 text: the name itself when it is such text, otherwise the first IPv4
// address it resolves to. False when it resolves to none.
bool toDottedIPv4(const std::string& name, std::string& dotted);

// Standard error is a terminal (worth drawing a progress bar on).
bool stderrIsTerminal();

} // namespace cli
