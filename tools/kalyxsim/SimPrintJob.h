// What the printer checks before it accepts a card job: the header's options, the length of the
// binary part against the planes and tracks the header describes, and the checksum.
#pragma once

#include "SimFraming.h"

#include <cstdint>
#include <string>

namespace kalyxsim {

struct JobCheck {
    bool valid = false;
    std::string problem; // why it was refused; empty when valid
    std::uint64_t planes = 0;
    std::uint64_t tracks = 0;
    unsigned sides = 0;
};

// True when the request is a card job (the root holds a "card" element).
bool isPrintJob(const Request& request);

JobCheck checkPrintJob(const Request& request);

} // namespace kalyxsim
