// Faults the simulator commits on purpose so that hosts can be tested against a printer that
// answers badly. A fault is written as a list of comma-separated items, e.g.
// "for=get-report,count=2,stray-bytes=16,crc-big-endian" or "for=save,error=Ribbon out".
// Every item is one row of faultItems(): its help, how it is read, described and merged, and
// the command-line shortcut that stands for it come from that row alone.
#pragma once

#include "SimFraming.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kalyxsim {

struct Fault {
    std::optional<std::string> command; // only answers to this command; none = every command
    std::optional<std::uint64_t> count; // exchanges left; none = no limit
    std::optional<std::uint64_t> strayBytes;
    bool crcBigEndian = false;
    std::optional<std::uint64_t> textLength;
    std::optional<std::uint64_t> binarySizeExtra;
    std::optional<std::uint64_t> binarySize; // announced instead of the real size
    bool badXml = false;
    bool noAnswer = false;
    bool close = false;
    bool reset = false;
    std::optional<std::uint64_t> delayMs;
    std::optional<std::string> errorText;

    // How the answer's frame is bent.
    FrameShape shape() const;
    std::string describe() const;
};

struct FaultItem {
    // How two faults that hit one answer combine this item.
    enum class Merge { None, Any, Largest, Last, First };

    const char* name;
    const char* argument; // null: a flag without a value
    std::uint64_t limit;  // for numbers
    Merge merge;
    const char* help; // may run over several lines, each after a '\n'
    // The command-line option that stands for this item alone, or null.
    const char* alias = nullptr;
    bool Fault::*flag = nullptr;
    std::optional<std::uint64_t> Fault::*number = nullptr;
    std::optional<std::string> Fault::*text = nullptr;
    // The value is the rest of the list, commas and all (the last item).
    bool takesRest = false;
};

const std::vector<FaultItem>& faultItems();

// Parses the item list above; on a bad item returns nothing and says why in `problem`.
// `defaultCount` applies when the list has no "count=" item.
std::optional<Fault> parseFault(const std::string& items, std::optional<std::uint64_t> defaultCount,
                                std::string& problem);

// The help text listing the items.
std::string faultSyntax();

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
