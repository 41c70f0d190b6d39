// The one way the simulator reads a number, whether from its command line, a fault item or a
// setting a host writes: plain decimal digits, nothing around them, checked against a range.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kalyxsim {

// Digits only, at most `maximum`. With `decimals` > 0 the text may have up to that many digits
// after a '.', and the result is scaled by 10^decimals ("1.25" with 3 decimals is 1250).
std::optional<std::uint64_t> parseCount(const std::string& text, std::uint64_t maximum,
                                        int decimals = 0);

// The same with an optional leading '-', within [minimum, maximum].
std::optional<long long> parseInteger(const std::string& text, long long minimum,
                                      long long maximum);

} // namespace kalyxsim
