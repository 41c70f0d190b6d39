#include "CupsMessages.h"

#include <unistd.h>

namespace kalyxcups {

namespace {

// One write per line, so a line is never split by a signal or interleaved.
void writeLine(const char* prefix, const std::string& text) {
    std::string line = prefix + text;
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    line += '\n';
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

} // namespace

void stateLine(const std::string& change) {
    writeLine("STATE: ", change);
}

void infoLine(const std::string& text) {
    writeLine("INFO: ", text);
}

void errorLine(const std::string& text) {
    writeLine("ERROR: ", text);
}

void debugLine(const std::string& text) {
    writeLine("DEBUG: ", text);
}

void pageLine(unsigned page) {
    writeLine("PAGE: ", std::to_string(page) + " 1");
}

} // namespace kalyxcups
