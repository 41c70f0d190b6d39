// Windows error codes (GetLastError, WSAGetLastError) in words.
#pragma once

#include <string>

namespace kalyxsim {

// The system's message for `error`, without its closing full stop ("error N" when it has none).
std::string systemMessage(unsigned long error);

} // namespace kalyxsim
