#pragma once

#include <kalyxcomms/Types.h>

#include <pugixml.hpp>

#include <cstdint>
#include <vector>

namespace Orvane {

// One request or response in memory.
struct PrnMessage {
    pugi::xml_document document;
    std::vector<unsigned char> payload;
    std::uint32_t readTimeoutMs = AnswerTimeoutMs;
    std::uint32_t writeTimeoutMs = TakeTimeoutMs;

    // Appends "prn" and the command element under it; returns the command element.
    pugi::xml_node begin(const char* command) {
        return document.append_child("prn").append_child(command);
    }
    // The response's "prn"/<name> element (empty node when missing).
    pugi::xml_node response(const char* name) const { return document.child("prn").child(name); }
    // The printer's error message, "" when there is none.
    const char* errorText() const { return response("error").text().get(); }
};

} // namespace Orvane
