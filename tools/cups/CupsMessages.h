// The lines a backend writes on stderr for the scheduler: each becomes part of the job's or the
// queue's state ("STATE: +reason", "INFO: text", "ERROR: text", "PAGE: n 1").
#pragma once

#include <string>

namespace kalyxcups {

void stateLine(const std::string& change); // "+reason" or "-reason"
void infoLine(const std::string& text);
void errorLine(const std::string& text);
void debugLine(const std::string& text);
void pageLine(unsigned page);

} // namespace kalyxcups
