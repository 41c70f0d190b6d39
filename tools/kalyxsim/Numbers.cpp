#include "Numbers.h"

namespace kalyxsim {

std::optional<std::uint64_t> parseCount(const std::string& text, std::uint64_t maximum,
                                        int decimals) {
    std::uint64_t value = 0;
    int digits = 0;
    int fraction = -1; // digits seen after the point; -1 before it
    for (char c : text) {
        if (c == '.' && fraction < 0 && decimals > 0 && digits > 0) {
            fraction = 0;
            continue;
        }
        if (c < '0' || c > '9' || fraction == decimals)
            return std::nullopt;
        const unsigned digit = static_cast<unsigned>(c - '0');
        // Overflow of 64 bits is caught before it happens, so huge texts are refused, not wrapped.
        if (value > (UINT64_MAX - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
        ++digits;
        if (fraction >= 0)
            ++fraction;
    }
    if (digits == 0 || fraction == 0)
        return std::nullopt;
    for (int i = fraction < 0 ? 0 : fraction; i < decimals; ++i) {
        if (value > UINT64_MAX / 10)
            return std::nullopt;
        value *= 10;
    }
    if (value > maximum)
        return std::nullopt;
    return value;
}

std::optional<long long> parseInteger(const std::string& text, long long minimum,
                                      long long maximum) {
    const bool negative = !text.empty() && text[0] == '-';
    const auto magnitude = parseCount(negative ? text.substr(1) : text, std::uint64_t(1) << 62);
    if (!magnitude)
        return std::nullopt;
    const long long value =
        negative ? -static_cast<long long>(*magnitude) : static_cast<long long>(*magnitude);
    if (value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

} // namespace kalyxsim
