#include "Misbehaviour.h"

#include "Numbers.h"

#include <algorithm>

namespace kalyxsim {

const char* faultSyntax() {
    return "  for=COMMAND           apply only to requests of COMMAND (e.g. get-report); card\n"
           "                        jobs are hit only by faults given for=print-job\n"
           "  count=N               apply to the next N answers only\n"
           "  stray-bytes=N         send N bytes of junk (never '<') before the answer\n"
           "  crc-big-endian        send the checksum most significant byte first\n"
           "  text-length=N         pad the answer's XML text to N bytes\n"
           "  binary-size-extra=N   announce N more payload bytes than are sent\n"
           "  binary-size=N         announce exactly N payload bytes (sends the real payload)\n"
           "  bad-xml               send XML text that does not parse\n"
           "  no-answer             read the request and never answer\n"
           "  close                 close the connection after reading the request (on the\n"
           "                        pty, where nothing can be closed: no answer)\n"
           "  reset                 reset the connection after reading the request, as a\n"
           "                        printer that drops a job it had taken (pty: no answer)\n"
           "  delay=MS              answer MS milliseconds late\n"
           "  error=TEXT            answer with this error text (must be the last item)\n";
}

std::optional<Fault> parseFault(const std::string& items, long defaultCount, std::string& problem) {
    Fault fault;
    fault.remaining = defaultCount;
    std::size_t pos = 0;
    while (pos < items.size()) {
        std::size_t end = items.find(',', pos);
        std::string item = items.substr(pos, end == std::string::npos ? end : end - pos);
        const std::size_t eq = item.find('=');
        const std::string key = item.substr(0, eq);
        if (key == "error") {
            // The text may hold commas, so it takes the rest of the list.
            fault.hasErrorText = true;
            fault.errorText = items.substr(pos + eq + 1);
            if (eq == std::string::npos || fault.errorText.empty()) {
                problem = "error= needs a text";
                return std::nullopt;
            }
            break;
        }
        pos = end == std::string::npos ? items.size() : end + 1;
        if (item.empty())
            continue;
        const std::string value = eq == std::string::npos ? std::string() : item.substr(eq + 1);
        const bool hasValue = eq != std::string::npos;
        std::uint64_t n = 0;
        auto number = [&](std::uint64_t limit) {
            const auto parsed = hasValue ? parseCount(value, limit) : std::nullopt;
            if (!parsed) {
                problem = "'" + item + "' needs a number up to " + std::to_string(limit);
                return false;
            }
            n = *parsed;
            return true;
        };
        if (key == "for" && hasValue && !value.empty()) {
            fault.command = value;
        } else if (key == "count") {
            if (!number(1000000000))
                return std::nullopt;
            fault.remaining = static_cast<long>(n);
        } else if (key == "stray-bytes") {
            if (!number(1 << 20))
                return std::nullopt;
            fault.shape.strayBytes = n;
        } else if (key == "crc-big-endian" && !hasValue) {
            fault.shape.crcBigEndian = true;
        } else if (key == "text-length") {
            if (!number(16 << 20))
                return std::nullopt;
            fault.shape.textLength = n;
        } else if (key == "binary-size-extra") {
            if (!number(0xFFFFFFFFull))
                return std::nullopt;
            fault.shape.binarySizeExtra = n;
        } else if (key == "binary-size") {
            if (!number(~0ull))
                return std::nullopt;
            fault.shape.announceSize = true;
            fault.shape.announcedSize = n;
        } else if (key == "bad-xml" && !hasValue) {
            fault.shape.badXml = true;
        } else if (key == "no-answer" && !hasValue) {
            fault.noAnswer = true;
        } else if (key == "close" && !hasValue) {
            fault.closeAfterRequest = true;
        } else if (key == "reset" && !hasValue) {
            fault.resetAfterRequest = true;
        } else if (key == "delay") {
            if (!number(3600000))
                return std::nullopt;
            fault.delayMs = static_cast<unsigned>(n);
        } else {
            problem = "unknown fault item '" + item + "'";
            return std::nullopt;
        }
    }
    return fault;
}

std::string Fault::describe() const {
    std::string text;
    auto add = [&text](const std::string& item) {
        if (!text.empty())
            text += ',';
        text += item;
    };
    if (!command.empty())
        add("for=" + command);
    if (remaining >= 0)
        add("count=" + std::to_string(remaining));
    if (shape.strayBytes)
        add("stray-bytes=" + std::to_string(shape.strayBytes));
    if (shape.crcBigEndian)
        add("crc-big-endian");
    if (shape.textLength)
        add("text-length=" + std::to_string(shape.textLength));
    if (shape.binarySizeExtra)
        add("binary-size-extra=" + std::to_string(shape.binarySizeExtra));
    if (shape.announceSize)
        add("binary-size=" + std::to_string(shape.announcedSize));
    if (shape.badXml)
        add("bad-xml");
    if (noAnswer)
        add("no-answer");
    if (closeAfterRequest)
        add("close");
    if (resetAfterRequest)
        add("reset");
    if (delayMs)
        add("delay=" + std::to_string(delayMs));
    if (hasErrorText)
        add("error=" + errorText);
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

std::optional<Fault> FaultList::take(const std::string& command, bool answered) {
    std::optional<Fault> merged;
    for (Fault& fault : faults_) {
        const bool aimed = fault.command.empty() ? answered : fault.command == command;
        if (fault.remaining == 0 || !aimed)
            continue;
        if (fault.remaining > 0)
            --fault.remaining;
        if (!merged) {
            merged = fault;
            continue;
        }
        FrameShape& shape = merged->shape;
        shape.strayBytes = std::max(shape.strayBytes, fault.shape.strayBytes);
        shape.crcBigEndian |= fault.shape.crcBigEndian;
        shape.textLength = std::max(shape.textLength, fault.shape.textLength);
        shape.binarySizeExtra = std::max(shape.binarySizeExtra, fault.shape.binarySizeExtra);
        if (fault.shape.announceSize) {
            shape.announceSize = true;
            shape.announcedSize = fault.shape.announcedSize;
        }
        shape.badXml |= fault.shape.badXml;
        merged->noAnswer |= fault.noAnswer;
        merged->closeAfterRequest |= fault.closeAfterRequest;
        merged->resetAfterRequest |= fault.resetAfterRequest;
        merged->delayMs = std::max(merged->delayMs, fault.delayMs);
        if (fault.hasErrorText && !merged->hasErrorText) {
            merged->hasErrorText = true;
            merged->errorText = fault.errorText;
        }
    }
    faults_.erase(std::remove_if(faults_.begin(), faults_.end(),
                                 [](const Fault& fault) { return fault.remaining == 0; }),
                  faults_.end());
    return merged;
}

} // namespace kalyxsim
