#pragma once

#include <string>

namespace kalyxsim {

// One line on stderr, prefixed with the program name; stderr is unbuffered, so lines from a
// simulator killed mid-test are never lost.
void logLine(const std::string& line);

} // namespace kalyxsim
