#pragma once

#include <string>

namespace kalyxsim {

// One line on stderr, prefixed with the program name; stderr is unbuffered, so lines from a
// simulator killed mid-test are never lost.
void logLine(const std::string& line);

// Per-exchange lines can be silenced (for benchmarks); start-up and failures are always logged.
void setExchangeLogging(bool on);
void logExchange(const std::string& line);

} // namespace kalyxsim
