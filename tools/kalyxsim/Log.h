#pragma once

#include <string>

namespace kalyxsim {

// One line on stderr, prefixed with the program name; stderr is unbuffered, so lines from a
// simulator killed mid-test are never lost. Text from hosts cannot reach the terminal raw: see
// shownInLog.
void logLine(const std::string& line);

// `text` with every control character (C0, DEL, C1) and every byte outside a valid UTF-8
// sequence written as \xHH, as kalyxprn shows text from a printer or a job.
std::string shownInLog(const std::string& text);

// Per-exchange lines can be silenced (for benchmarks); start-up and failures are always logged.
void setExchangeLogging(bool on);
void logExchange(const std::string& line);

} // namespace kalyxsim
