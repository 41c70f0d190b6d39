// Host names for the library, which takes dotted IPv4 text only.
#pragma once

#include <string>

namespace kalyxcheck {

// `name` as dotted IPv4 text: the name itself when it is such text, otherwise the first IPv4
// address it resolves to. False when it resolves to none. The socket layer must be ready (on
// Windows: WinSock started, as a live Orvane::Comms has it).
bool toDottedIPv4(const std::string& name, std::string& dotted);

} // namespace kalyxcheck
