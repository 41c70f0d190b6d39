// Faults the simulator commits on purpose so that hosts can be tested against a printer that
// answers badly. A fault is written as a list of comma-separated items, e.g.
// "for=get-report,count=2,stray-bytes=16,crc-big-endian" or "for=save,error=Ribbon out".
#pragma once

#include "SimFraming.h"

#include <optional>
#include <string>
#include <vector>

namespace kalyxsim {

struct Fault {
    std::string command; // only answers to this command; empty = every command
    long remaining = -1; // exchanges left; -1 = no limit
    FrameShape shape;
    bool noAnswer = false;
    bool closeAfterRequest = false;
    bool resetAfterRequest = false;
    bool hasErrorText = false;
    std::string errorText;
    unsigned delayMs = 0;

    std::string describe() const;
};

// Parses the item list above; on a bad item returns nothing and says why in `problem`.
// `defaultCount` applies when the list has no "count=" item.
std::optional<Fault> parseFault(const std::string& items, long defaultCount, std::string& problem);

// The help text listing the items.
const char* faultSyntax();

class FaultList {
public:
    void add(Fault fault) { faults_.push_back(std::move(fault)); }
    void clear() { faults_.clear(); }
    bool empty() const { return faults_.empty(); }
    std::string describe() const;

    // Every fault that applies to an answer to `command`, merged into one; each one used
    // counts down and is dropped when spent. Requests that get no answer (card jobs) are hit
    // only by faults aimed at them by name, so they do not use up faults meant for answers.
    std::optional<Fault> take(const std::string& command, bool answered = true);

private:
    std::vector<Fault> faults_;
};

} // namespace kalyxsim
