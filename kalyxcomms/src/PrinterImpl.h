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

    // The last steps of every command: exchange, then hand over the printer's error text.
    bool exchange(PrnMessage& message) { return transport && transact(message); }
    static void takeError(const PrnMessage& message, std::string& err) {
        err = message.errorText();
    }

    std::unique_ptr<Session> transport;
};

} // namespace Orvane
