#include "Log.h"

#include <unistd.h>

namespace kalyxsim {

namespace {
bool exchangeLogging = true;
} // namespace

void setExchangeLogging(bool on) {
    exchangeLogging = on;
}

void logExchange(const std::string& line) {
    if (exchangeLogging)
        logLine(line);
}

void logLine(const std::string& line) {
    const std::string text = "kalyxsim: " + line + "\n";
    // One write per line keeps lines whole when several processes share the terminal.
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(STDERR_FILENO, text.data() + done, text.size() - done);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

} // namespace kalyxsim
