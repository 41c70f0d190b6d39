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

std::string shownInLog(const std::string& text) {
    static const char hex[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    auto escape = [&](unsigned char byte) {
        shown += "\\x";
        shown += hex[byte >> 4];
        shown += hex[byte & 15];
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7f) {
            escape(byte);
            ++i;
            continue;
        }
        if (byte < 0x80) {
            shown += text[i++];
            continue;
        }
        // A whole UTF-8 sequence passes; C1 controls (U+0080-U+009F) show as their code point,
        // any other byte that is not part of a valid sequence as itself.
        const std::size_t length = byte >= 0xf0 && byte <= 0xf4   ? 4
                                   : byte >= 0xe0                 ? 3
                                   : byte >= 0xc2 && byte <= 0xdf ? 2
                                                                  : 0;
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(text[i + k]) & 0xc0) == 0x80;
        if (valid && length == 3) {
            const auto second = static_cast<unsigned char>(text[i + 1]);
            valid = !(byte == 0xe0 && second < 0xa0) && !(byte == 0xed && second >= 0xa0);
        }
        if (valid && length == 4) {
            const auto second = static_cast<unsigned char>(text[i + 1]);
            valid = !(byte == 0xf0 && second < 0x90) && !(byte == 0xf4 && second >= 0x90);
        }
        if (!valid) {
            escape(byte);
            ++i;
        } else if (byte == 0xc2 && static_cast<unsigned char>(text[i + 1]) < 0xa0) {
            escape(static_cast<unsigned char>(text[i + 1]));
            i += 2;
        } else {
            shown.append(text, i, length);
            i += length;
        }
    }
    return shown;
}

void logLine(const std::string& line) {
    const std::string text = "kalyxsim: " + shownInLog(line) + "\n";
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
