#pragma once

#include "PrnMessage.h"

#include <kalyxcomms/Session.h>

#include <memory>
#include <string>

namespace Orvane {

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
