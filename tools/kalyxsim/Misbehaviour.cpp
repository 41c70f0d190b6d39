#include "Misbehaviour.h"

#include "Numbers.h"

#include <algorithm>

namespace kalyxsim {

namespace {

using Merge = FaultItem::Merge;

FaultItem flagItem(const char* name, bool Fault::*flag, const char* help,
                   const char* alias = nullptr) {
    FaultItem item{name, nullptr, 0, Merge::Any, help, alias};
    item.flag = flag;
    return item;
}

FaultItem numberItem(const char* name, const char* argument, std::uint64_t limit, Merge merge,
                     std::optional<std::uint64_t> Fault::*number, const char* help,
                     const char* alias = nullptr) {
    FaultItem item{name, argument, limit, merge, help, alias};
    item.number = number;
    return item;
}

FaultItem textItem(const char* name, const char* argument, Merge merge,
                   std::optional<std::string> Fault::*text, const char* help,
                   bool takesRest = false) {
    FaultItem item{name, argument, 0, merge, help};
    item.text = text;
    item.takesRest = takesRest;
    return item;
}

const FaultItem* findItem(const std::string& name) {
    for (const FaultItem& item : faultItems())
        if (name == item.name)
            return &item;
    return nullptr;
}

} // namespace

const std::vector<FaultItem>& faultItems() {
    static const std::vector<FaultItem> items = {
        textItem("for", "COMMAND", Merge::None, &Fault::command,
                 "apply only to requests of COMMAND (e.g. get-report); card\n"
                 "jobs are hit only by faults given for=print-job"),
        numberItem("count", "N", 1000000000, Merge::None, &Fault::count,
                   "apply to the next N answers only"),
        numberItem("stray-bytes", "N", 1 << 20, Merge::Largest, &Fault::strayBytes,
                   "send N bytes of junk (never '<') before the answer", "--stray-bytes"),
        flagItem("crc-big-endian", &Fault::crcBigEndian,
                 "send the checksum most significant byte first", "--crc-big-endian"),
        numberItem("text-length", "N", 16 << 20, Merge::Largest, &Fault::textLength,
                   "pad the answer's XML text to N bytes", "--text-length"),
        numberItem("binary-size-extra", "N", 0xFFFFFFFFull, Merge::Largest, &Fault::binarySizeExtra,
                   "announce N more payload bytes than are sent", "--binary-size-extra"),
        numberItem("binary-size", "N", UINT64_MAX, Merge::Last, &Fault::binarySize,
                   "announce exactly N payload bytes (sends the real payload)"),
        flagItem("bad-xml", &Fault::badXml, "send XML text that does not parse"),
        flagItem("no-answer", &Fault::noAnswer, "read the request and never answer", "--no-answer"),
        flagItem("close", &Fault::close,
                 "close the connection after reading the request (on the\n"
                 "pty, where nothing can be closed: no answer)",
                 "--close-after-request"),
        flagItem("reset", &Fault::reset,
                 "reset the connection after reading the request, as a\n"
                 "printer that drops a job it had taken (pty: no answer)"),
        numberItem("delay", "MS", 3600000, Merge::Largest, &Fault::delayMs,
                   "answer MS milliseconds late", "--delay"),
        textItem("error", "TEXT", Merge::First, &Fault::errorText,
                 "answer with this error text (must be the last item)", true),
    };
    return items;
}

std::string faultSyntax() {
    std::string text;
    for (const FaultItem& item : faultItems()) {
        std::string left = std::string("  ") + item.name;
        if (item.argument)
            left += std::string("=") + item.argument;
        left.resize(std::max<std::size_t>(left.size() + 1, 24), ' ');
        for (const char* c = item.help; *c; ++c)
            left += *c == '\n' ? std::string("\n") + std::string(24, ' ') : std::string(1, *c);
        text += left + "\n";
    }
    return text;
}

std::optional<Fault> parseFault(const std::string& items, std::optional<std::uint64_t> defaultCount,
                                std::string& problem) {
    Fault fault;
    fault.count = defaultCount;
    std::size_t pos = 0;
    while (pos < items.size()) {
        const std::size_t end = std::min(items.find(',', pos), items.size());
        const std::string item = items.substr(pos, end - pos);
        pos = end + 1;
        if (item.empty())
            continue;
        const std::size_t eq = item.find('=');
        const FaultItem* entry = findItem(item.substr(0, eq));
        const bool hasValue = eq != std::string::npos;
        if (!entry || hasValue != (entry->argument != nullptr)) {
            problem = "unknown fault item '" + item + "'";
            return std::nullopt;
        }
        if (entry->flag) {
            fault.*entry->flag = true;
        } else if (entry->number) {
            const auto number = parseCount(item.substr(eq + 1), entry->limit);
            if (!number) {
                problem = "'" + item + "' needs a number up to " + std::to_string(entry->limit);
                return std::nullopt;
            }
            fault.*entry->number = *number;
        } else {
            // A text may hold commas where it is the last item.
            const std::string value =
                entry->takesRest ? items.substr(end - item.size() + eq + 1) : item.substr(eq + 1);
            if (value.empty()) {
                problem = std::string(entry->name) + "= needs a text";
                return std::nullopt;
            }
            fault.*entry->text = value;
            if (entry->takesRest)
                break;
        }
    }
    return fault;
}

FrameShape Fault::shape() const {
    FrameShape shape;
    shape.strayBytes = static_cast<std::size_t>(strayBytes.value_or(0));
    shape.crcBigEndian = crcBigEndian;
    shape.textLength = static_cast<std::size_t>(textLength.value_or(0));
    shape.binarySizeExtra = binarySizeExtra.value_or(0);
    shape.announceSize = binarySize.has_value();
    shape.announcedSize = binarySize.value_or(0);
    shape.badXml = badXml;
    return shape;
}

std::string Fault::describe() const {
    std::string text;
    for (const FaultItem& item : faultItems()) {
        std::string value;
        if (item.flag && this->*item.flag)
            value = item.name;
        else if (item.number && this->*item.number)
            value = std::string(item.name) + "=" + std::to_string(*(this->*item.number));
        else if (item.text && this->*item.text)
            value = std::string(item.name) + "=" + *(this->*item.text);
        if (!value.empty())
            text += (text.empty() ? "" : ",") + value;
    }
    return text;
}

std::string FaultList::describe() const {
    std::string text;
    for (const Fault& fault : faults_) {
        if (!text.empty())
            text += "; ";
        text += fault.describe();
    }
    return text;
}

namespace {

void mergeInto(Fault& merged, const Fault& fault) {
    for (const FaultItem& item : faultItems()) {
        if (item.flag) {
            merged.*item.flag |= fault.*item.flag;
        } else if (item.number && fault.*item.number) {
            std::optional<std::uint64_t>& into = merged.*item.number;
            if (item.merge == Merge::Largest)
                into = std::max(into.value_or(0), *(fault.*item.number));
            else if (item.merge == Merge::Last)
                into = fault.*item.number;
        } else if (item.text && item.merge == Merge::First && !(merged.*item.text)) {
            merged.*item.text = fault.*item.text;
        }
    }
}

} // namespace

std::optional<Fault> FaultList::take(const std::string& command, bool answered) {
    std::optional<Fault> merged;
    for (Fault& fault : faults_) {
        const bool aimed = fault.command ? *fault.command == command : answered;
        if (fault.count == std::uint64_t(0) || !aimed)
            continue;
        if (fault.count)
            --*fault.count;
        if (!merged)
            merged = fault;
        else
            mergeInto(*merged, fault);
    }
    faults_.erase(
        std::remove_if(faults_.begin(), faults_.end(),
                       [](const Fault& fault) { return fault.count == std::uint64_t(0); }),
        faults_.end());
    return merged;
}

} // namespace kalyxsim
