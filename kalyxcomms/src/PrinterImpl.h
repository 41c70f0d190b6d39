#pragma once

#include "PrnMessage.h"

#include <kalyxcomms/Session.h>

#include <memory>
#include <string>

namespace Orvane {

// Running out of memory is the only thing that can throw inside a command; it becomes a false
// result like every other failure instead of crossing the library's boundary.
template <class Body> bool guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return false;
    }
}

class PrinterImpl {
public:
    explicit PrinterImpl(std::unique_ptr<Session> transport) : transport(std::move(transport)) {}

    // Frames and writes the request: header with its 0x00, payload, CRC.
    bool send(PrnMessage& message);
    // Reads one framed response into `message` (document and payload replaced).
    bool receive(PrnMessage& message);
    bool transact(PrnMessage& message) { return send(message) && receive(message); }

    std::unique_ptr<Session> transport;
};

// The skeleton every command shares. `build` fills the request (and clears the caller's outputs);
// `read` takes the results from the response and says whether it was well formed; the printer's
// error text then goes to `err`.
template <class Build, class Read>
bool runCommand(PrinterImpl* impl, std::string& err, Build&& build, Read&& read) noexcept {
    return guarded([&] {
        if (!impl)
            return false;
        PrnMessage message;
        build(message);
        if (!impl->transport || !impl->transact(message) || !read(message))
            return false;
        err = message.errorText();
        return true;
    });
}

// A command that answers with nothing but its error text.
template <class Build>
bool runCommand(PrinterImpl* impl, std::string& err, Build&& build) noexcept {
    return runCommand(impl, err, build, [](const PrnMessage&) { return true; });
}

} // namespace Orvane
